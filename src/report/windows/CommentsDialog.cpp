// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "report/windows/CommentsDialog.h"

#include "language/TypedText.h"
#include "shell/AppContext.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>

namespace zentrova {

CommentsDialog::CommentsDialog(AppContext& context, QWidget* parent) : QDialog(parent), ctx_(context)
{
    setObjectName(QStringLiteral("CommentBox"));
    auto* layout = new QVBoxLayout(this);
    commentBox_ = new QPlainTextEdit(this);
    commentBox_->setObjectName(QStringLiteral("Comments"));
    commentBox_->setLineWrapMode(QPlainTextEdit::NoWrap);
    autotestBox = new QPlainTextEdit(this);
    autotestBox->hide(); // the autotest comments panel is not shown in this program
    layout->addWidget(commentBox_, 1);
    auto* checks = new QHBoxLayout;
    commentsCheck = new QCheckBox(this);
    autotestCheck = new QCheckBox(this);
    pageNumbersCheck = new QCheckBox(this);
    checks->addWidget(commentsCheck);
    checks->addWidget(autotestCheck);
    checks->addWidget(pageNumbersCheck);
    checks->addStretch();
    okButton_ = new QPushButton(this);
    cancelBtn = new QPushButton(this);
    checks->addWidget(okButton_);
    checks->addWidget(cancelBtn);
    layout->addLayout(checks);

    commentBox_->installEventFilter(this);
    autotestBox->installEventFilter(this);
    connect(commentBox_, &QPlainTextEdit::textChanged, this,
            [this] { boxChanged(commentBox_, Comments::LineCount, rememberedText_, rememberedCaret_); });
    connect(autotestBox, &QPlainTextEdit::textChanged, this,
            [this] { boxChanged(autotestBox, Comments::AutotestCount, rememberedAuto_, rememberedAutoCaret_); });
    connect(okButton_, &QPushButton::clicked, this, &CommentsDialog::accept);
    connect(cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    setBoxFont(QFont(QStringLiteral("Courier New"), 10));
}

QCheckBox* CommentsDialog::checkBox(int i) const
{
    return i == 0 ? commentsCheck : i == 1 ? autotestCheck : pageNumbersCheck;
}

void CommentsDialog::applyTexts()
{
    auto t = [&](const char* key) { return ctx_.language.decode(ctx_.language.texts.text(key)); };
    setWindowTitle(t("Comments_30"));
    commentsCheck->setText(t("Comments_30"));
    autotestCheck->setText(t("AutotestComments"));
    pageNumbersCheck->setText(t("PageNumbers"));
    okButton_->setText(t("&OK_11"));
    cancelBtn->setText(t("&Cancel_11"));
}

void CommentsDialog::setBoxFont(const QFont& font)
{
    commentBox_->setFont(font);
    autotestBox->setFont(font);
    // 65 letters "M" wide and 31 lines high.
    const QFontMetrics fm(font);
    const int frame = 2 * commentBox_->frameWidth() + 8;
    commentBox_->setMinimumSize(fm.horizontalAdvance(QString(65, u'M')) + frame +
                                    commentBox_->verticalScrollBar()->sizeHint().width(),
                                fm.lineSpacing() * 31 + frame);
    adjustSize();
}

void CommentsDialog::fillFromSettings()
{
    auto join = [&](const auto& lines) {
        QStringList l;
        for (const std::string& s : lines)
            l << ctx_.language.decode(s);
        // Trailing empty lines carry nothing.
        while (!l.isEmpty() && l.back().isEmpty())
            l.removeLast();
        return l.join(u'\n');
    };
    restoring_ = true;
    commentBox_->setPlainText(join(ctx_.document.comments.lines));
    autotestBox->setPlainText(join(ctx_.document.comments.autotest));
    restoring_ = false;
    rememberedText_ = commentBox_->toPlainText();
    rememberedAuto_ = autotestBox->toPlainText();
    const auto boxes = ctx_.document.comments.dialogBoxes();
    commentsCheck->setChecked(boxes[0]);
    autotestCheck->setChecked(boxes[1]);
    pageNumbersCheck->setChecked(boxes[2]);
}

bool CommentsDialog::execute()
{
    fillFromSettings();
    return exec() == QDialog::Accepted;
}

bool CommentsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == commentBox_ || watched == autotestBox)) {
        auto* box = static_cast<QPlainTextEdit*>(watched);
        QString& remembered = box == commentBox_ ? rememberedText_ : rememberedAuto_;
        int& caret = box == commentBox_ ? rememberedCaret_ : rememberedAutoCaret_;
        remembered = box->toPlainText();
        caret = box->textCursor().position();
        const QString trimmed = trimTrailingBeforeKey(remembered, caret);
        if (trimmed != remembered) {
            restoring_ = true;
            box->setPlainText(trimmed);
            QTextCursor c = box->textCursor();
            c.setPosition(std::min<int>(caret, int(trimmed.size())));
            box->setTextCursor(c);
            restoring_ = false;
            remembered = trimmed;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CommentsDialog::boxChanged(QPlainTextEdit* box, int maxLines, QString& remembered, int& caret)
{
    if (restoring_ || lineCountOf(box->toPlainText()) <= maxLines)
        return;
    restoring_ = true;
    QString text = remembered;
    if (lineCountOf(text) > maxLines)
        text = firstLines(text, maxLines);
    box->setPlainText(text);
    QTextCursor c = box->textCursor();
    c.setPosition(std::min<int>(caret, int(text.size())));
    box->setTextCursor(c);
    restoring_ = false;
}

void CommentsDialog::accept()
{
    // Texts the language's code page cannot hold keep the dialog open, as typed.
    if (!canStoreTyped(ctx_.language, {commentBox_->toPlainText(), autotestBox->toPlainText()}))
        return;
    Comments& c = ctx_.document.comments;
    const QStringList lines = commentBox_->toPlainText().split(u'\n');
    for (int i = 0; i < Comments::LineCount; ++i)
        c.lines[size_t(i)] = i < lines.size() ? ctx_.language.encode(lines[i]) : std::string();
    const QStringList autoLines = autotestBox->toPlainText().split(u'\n');
    for (int i = 0; i < Comments::AutotestCount; ++i)
        c.autotest[size_t(i)] = i < autoLines.size() ? ctx_.language.encode(autoLines[i]) : std::string();
    c.checks = Comments::checksFromBoxes(
        {commentsCheck->isChecked(), autotestCheck->isChecked(), pageNumbersCheck->isChecked()});
    c.save(ctx_.language.settings);
    ctx_.document.saved = false;
    QDialog::accept();
}

} // namespace zentrova
