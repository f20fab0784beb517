#include "frAbout.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "uFileIO.h"
#include "frCommon.h"
#include "uArgValues.h"
#include "ui_frAbout.h"

namespace {
constexpr std::size_t kMaxLicenseBytes = 1u << 20;
}

TfrAboutBox::TfrAboutBox(const std::string& programFolder, QWidget* parent)
    : QDialog(parent), Form(std::make_unique<Ui::TfrAboutBox>()) {
    Form->setupUi(this);
    LicenseMemo = Form->LicenseMemo;
    Form->lb_icon->setPixmap(QApplication::windowIcon().pixmap(64, 64));
    // The version --version prints; no date, which would only ever be wrong.
    Form->lb_version->setText(QString::fromStdString("Version:  " + ProgramVersion()));
    std::string bytes;
    if (ReadFileBytes(programFolder + kLicenseFile, kMaxLicenseBytes, bytes)) {
        LicenseMemo->setPlainText(QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())));
        Loaded = true;
    }
    Form->buttons->addButton("OK", QDialogButtonBox::AcceptRole)->setObjectName("bn_ok");
    connect(Form->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    const QFontMetrics fm(LicenseMemo->font());
    resize(fm.horizontalAdvance(QString(78, 'x')), fm.lineSpacing() * 26);
    FitToScreen(this);
}

TfrAboutBox::~TfrAboutBox() = default;
