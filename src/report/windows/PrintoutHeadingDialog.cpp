#include "report/windows/PrintoutHeadingDialog.h"

#include "shell/AppContext.h"
#include "base/Prompts.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentrova {

PrintoutHeadingDialog::PrintoutHeadingDialog(AppContext& context, QWidget* parent) : QDialog(parent), ctx(context)
{
    setObjectName(QStringLiteral("PersonalData"));
    auto* layout = new QVBoxLayout(this);

    OperatorGroup = new QGroupBox(this);
    auto* opLayout = new QHBoxLayout(OperatorGroup);
    TextPanel = new QWidget(OperatorGroup);
    auto* textLayout = new QVBoxLayout(TextPanel);
    textLayout->setContentsMargins(10, 0, 10, 0);
    for (auto& e : opEdits_) {
        e = new QLineEdit(TextPanel);
        textLayout->addWidget(e);
    }
    PicturePanel = new QWidget(OperatorGroup);
    PicturePanel->setFixedHeight(90);
    auto* picLayout = new QHBoxLayout(PicturePanel);
    picLayout->setContentsMargins(8, 8, 8, 8);
    Picture = new QLabel(PicturePanel);
    Picture->setObjectName(QStringLiteral("Picture"));
    Picture->setScaledContents(true);
    picLayout->addWidget(Picture);
    picLayout->addStretch();
    auto* buttons = new QVBoxLayout;
    ToggleBtn = new QPushButton(OperatorGroup);
    LoadBtn = new QPushButton(OperatorGroup);
    buttons->addWidget(ToggleBtn);
    buttons->addWidget(LoadBtn);
    buttons->addStretch();
    opLayout->addWidget(TextPanel, 1);
    opLayout->addWidget(PicturePanel, 1);
    opLayout->addLayout(buttons);
    layout->addWidget(OperatorGroup);

    FooterGroup = new QGroupBox(this);
    auto* fLayout = new QVBoxLayout(FooterGroup);
    for (auto& e : footerEdits_) {
        e = new QLineEdit(FooterGroup);
        fLayout->addWidget(e);
    }
    layout->addWidget(FooterGroup);

    SiteGroup = new QGroupBox(this);
    auto* sLayout = new QVBoxLayout(SiteGroup);
    for (auto& e : siteEdits_) {
        e = new QLineEdit(SiteGroup);
        sLayout->addWidget(e);
    }
    layout->addWidget(SiteGroup);

    auto* row = new QHBoxLayout;
    row->addStretch();
    OKbtn = new QPushButton(this);
    OKbtn->setDefault(true);
    CancelBtn = new QPushButton(this);
    row->addWidget(OKbtn);
    row->addWidget(CancelBtn);
    layout->addLayout(row);

    connect(ToggleBtn, &QPushButton::clicked, this, &PrintoutHeadingDialog::toggleMode);
    connect(LoadBtn, &QPushButton::clicked, this, &PrintoutHeadingDialog::loadPictureClicked);
    connect(OKbtn, &QPushButton::clicked, this, &PrintoutHeadingDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    resize(520, 420);
}

void PrintoutHeadingDialog::applyTexts()
{
    auto t = [&](const char* key) { return ctx.decode(ctx.texts.text(key)); };
    setWindowTitle(t("OperatorTestSite_40"));
    OperatorGroup->setTitle(t("Operator_30"));
    FooterGroup->setTitle(t("Footer_30"));
    SiteGroup->setTitle(t("TestSite_30"));
    LoadBtn->setText(t("Load_11"));
    OKbtn->setText(t("&OK_11"));
    CancelBtn->setText(t("&Cancel_11"));
    layOut();
}

void PrintoutHeadingDialog::fillFromHeading()
{
    const PrintoutHeading& h = ctx.heading;
    for (size_t i = 0; i < 3; ++i) {
        opEdits_[i]->setText(ctx.decode(h.op[i]));
        footerEdits_[i]->setText(ctx.decode(h.footer[i]));
        siteEdits_[i]->setText(ctx.decode(h.site[i]));
    }
    logoPath_ = h.logo;
    mode_ = h.logoMode == 1 ? 1 : 0;
    layOut();
}

bool PrintoutHeadingDialog::execute()
{
    fillFromHeading();
    return exec() == QDialog::Accepted;
}

void PrintoutHeadingDialog::layOut()
{
    const bool picture = mode_ == 1;
    TextPanel->setVisible(!picture);
    PicturePanel->setVisible(picture);
    LoadBtn->setEnabled(picture);
    ToggleBtn->setText(ctx.decode(ctx.texts.text(picture ? "Text_11" : "Picture_11")));
    if (picture)
        loadLogo();
}

void PrintoutHeadingDialog::toggleMode()
{
    mode_ = 1 - mode_;
    layOut();
}

void PrintoutHeadingDialog::setLogoPath(const std::string& path)
{
    logoPath_ = path;
    layOut();
}

void PrintoutHeadingDialog::loadLogo()
{
    Picture->clear();
    const QString path = QString::fromLocal8Bit(logoPath_.c_str());
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull())
        return;
    const int availableHeight = PicturePanel->height() - 2 * 8;
    const int availableWidth = std::max(40, PicturePanel->width() - 2 * 8);
    const QSize size = FitLogo(image.size(), availableHeight, availableWidth);
    Picture->setFixedSize(size);
    Picture->setPixmap(QPixmap::fromImage(image));
}

void PrintoutHeadingDialog::loadPictureClicked()
{
    FileDialogRequest r;
    r.title = ctx.texts.text("LoadLogo_30");
    r.filterName = ctx.texts.text("ImageFiles_13");
    r.pattern = QStringLiteral("*.BMP *.JPG *.JPEG");
    r.proposedName = QString::fromLocal8Bit(logoPath_.c_str());
    r.mustExist = true;
    const auto chosen = ctx.prompts->openFileName(r);
    if (!chosen)
        return;
    QImageReader reader(*chosen);
    if (!reader.canRead()) {
        // Say what the system says about the file; keep the previous logo.
        ctx.prompts->message(MsgType::Error,
                             ctx.texts.text("LoadLogo_30") + "\r" + ctx.encode(*chosen) + "\r" +
                                 ctx.encode(reader.errorString()),
                             MbOK);
        return;
    }
    logoPath_ = QFile::encodeName(*chosen).toStdString();
    layOut();
}

void PrintoutHeadingDialog::accept()
{
    PrintoutHeading h = ctx.heading;
    for (size_t i = 0; i < 3; ++i) {
        h.op[i] = ctx.encode(opEdits_[i]->text());
        h.footer[i] = ctx.encode(footerEdits_[i]->text());
        h.site[i] = ctx.encode(siteEdits_[i]->text());
    }
    h.logo = logoPath_;
    h.logoMode = mode_;
    h.save(ctx.settings);
    // The printout heading is saved with the structure.
    ctx.StructureSaved = false;
    QDialog::accept();
}

} // namespace zentrova
