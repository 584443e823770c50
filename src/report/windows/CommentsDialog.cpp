#include "report/windows/CommentsDialog.h"

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

CommentsDialog::CommentsDialog(AppContext& context, QWidget* parent) : QDialog(parent), ctx(context)
{
    setObjectName(QStringLiteral("CommentBox"));
    auto* layout = new QVBoxLayout(this);
    CommentBox = new QPlainTextEdit(this);
    CommentBox->setObjectName(QStringLiteral("Comments"));
    CommentBox->setLineWrapMode(QPlainTextEdit::NoWrap);
    AutotestBox = new QPlainTextEdit(this);
    AutotestBox->hide(); // the autotest comments panel is not shown in this program
    layout->addWidget(CommentBox, 1);
    auto* checks = new QHBoxLayout;
    CommentsCheck = new QCheckBox(this);
    AutotestCheck = new QCheckBox(this);
    PageNumbersCheck = new QCheckBox(this);
    checks->addWidget(CommentsCheck);
    checks->addWidget(AutotestCheck);
    checks->addWidget(PageNumbersCheck);
    checks->addStretch();
    OKbtn = new QPushButton(this);
    CancelBtn = new QPushButton(this);
    checks->addWidget(OKbtn);
    checks->addWidget(CancelBtn);
    layout->addLayout(checks);

    CommentBox->installEventFilter(this);
    AutotestBox->installEventFilter(this);
    connect(CommentBox, &QPlainTextEdit::textChanged, this,
            [this] { boxChanged(CommentBox, Comments::LineCount, rememberedText_, rememberedCaret_); });
    connect(AutotestBox, &QPlainTextEdit::textChanged, this, [this] {
        boxChanged(AutotestBox, Comments::AutotestCount, rememberedAuto_, rememberedAutoCaret_);
    });
    connect(OKbtn, &QPushButton::clicked, this, &CommentsDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    setBoxFont(QFont(QStringLiteral("Courier New"), 10));
}

QCheckBox* CommentsDialog::checkBox(int i) const
{
    return i == 0 ? CommentsCheck : i == 1 ? AutotestCheck : PageNumbersCheck;
}

void CommentsDialog::applyTexts()
{
    auto t = [&](const char* key) { return ctx.decode(ctx.texts.text(key)); };
    setWindowTitle(t("Comments_30"));
    CommentsCheck->setText(t("Comments_30"));
    AutotestCheck->setText(t("AutotestComments"));
    PageNumbersCheck->setText(t("PageNumbers"));
    OKbtn->setText(t("&OK_11"));
    CancelBtn->setText(t("&Cancel_11"));
}

void CommentsDialog::setBoxFont(const QFont& font)
{
    CommentBox->setFont(font);
    AutotestBox->setFont(font);
    // 65 letters "M" wide and 31 lines high.
    const QFontMetrics fm(font);
    const int frame = 2 * CommentBox->frameWidth() + 8;
    CommentBox->setMinimumSize(fm.horizontalAdvance(QString(65, u'M')) + frame +
                                   CommentBox->verticalScrollBar()->sizeHint().width(),
                               fm.lineSpacing() * 31 + frame);
    adjustSize();
}

void CommentsDialog::fillFromSettings()
{
    auto join = [&](const auto& lines) {
        QStringList l;
        for (const std::string& s : lines)
            l << ctx.decode(s);
        // Trailing empty lines carry nothing.
        while (!l.isEmpty() && l.back().isEmpty())
            l.removeLast();
        return l.join(u'\n');
    };
    restoring_ = true;
    CommentBox->setPlainText(join(ctx.comments.lines));
    AutotestBox->setPlainText(join(ctx.comments.autotest));
    restoring_ = false;
    rememberedText_ = CommentBox->toPlainText();
    rememberedAuto_ = AutotestBox->toPlainText();
    const auto boxes = ctx.comments.dialogBoxes();
    CommentsCheck->setChecked(boxes[0]);
    AutotestCheck->setChecked(boxes[1]);
    PageNumbersCheck->setChecked(boxes[2]);
}

bool CommentsDialog::execute()
{
    fillFromSettings();
    return exec() == QDialog::Accepted;
}

bool CommentsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == CommentBox || watched == AutotestBox)) {
        auto* box = static_cast<QPlainTextEdit*>(watched);
        QString& remembered = box == CommentBox ? rememberedText_ : rememberedAuto_;
        int& caret = box == CommentBox ? rememberedCaret_ : rememberedAutoCaret_;
        remembered = box->toPlainText();
        caret = box->textCursor().position();
        const QString trimmed = TrimTrailingBeforeKey(remembered, caret);
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
    if (restoring_ || LineCountOf(box->toPlainText()) <= maxLines)
        return;
    restoring_ = true;
    QString text = remembered;
    if (LineCountOf(text) > maxLines)
        text = FirstLines(text, maxLines);
    box->setPlainText(text);
    QTextCursor c = box->textCursor();
    c.setPosition(std::min<int>(caret, int(text.size())));
    box->setTextCursor(c);
    restoring_ = false;
}

void CommentsDialog::accept()
{
    Comments& c = ctx.comments;
    const QStringList lines = CommentBox->toPlainText().split(u'\n');
    for (int i = 0; i < Comments::LineCount; ++i)
        c.lines[size_t(i)] = i < lines.size() ? ctx.encode(lines[i]) : std::string();
    const QStringList autoLines = AutotestBox->toPlainText().split(u'\n');
    for (int i = 0; i < Comments::AutotestCount; ++i)
        c.autotest[size_t(i)] = i < autoLines.size() ? ctx.encode(autoLines[i]) : std::string();
    c.checks = Comments::checksFromBoxes(
        {CommentsCheck->isChecked(), AutotestCheck->isChecked(), PageNumbersCheck->isChecked()});
    c.save(ctx.settings);
    ctx.StructureSaved = false;
    QDialog::accept();
}

} // namespace zentrova
