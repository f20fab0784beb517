#include "frAbout.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "uFileIO.h"
#include "frCommon.h"
#include "uArgValues.h"

namespace {
constexpr std::size_t kMaxLicenseBytes = 1u << 20;
}

TfrAboutBox::TfrAboutBox(const std::string& programFolder, QWidget* parent) : QDialog(parent) {
    setObjectName("frAbout");
    setWindowTitle("About Orbisk");

    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(64, 64));
    auto* title = new QLabel("<b>Skyvane</b>", this);
    // The version --version prints; no date, which would only ever be wrong.
    auto* version = new QLabel(QString::fromStdString("Version:  " + ProgramVersion()), this);
    version->setObjectName("lb_version");
    auto* texts = new QVBoxLayout;
    texts->addWidget(title);
    texts->addWidget(version);
    auto* head = new QHBoxLayout;
    head->addWidget(icon);
    head->addLayout(texts, 1);

    LicenseMemo = new QPlainTextEdit(this);
    LicenseMemo->setObjectName("LicenseMemo");
    LicenseMemo->setReadOnly(true);
    std::string bytes;
    if (ReadFileBytes(programFolder + kLicenseFile, kMaxLicenseBytes, bytes)) {
        LicenseMemo->setPlainText(QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())));
        Loaded = true;
    }

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton("OK", QDialogButtonBox::AcceptRole)->setObjectName("bn_ok");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(LicenseMemo, 1);
    layout->addWidget(buttons);
    const QFontMetrics fm(LicenseMemo->font());
    resize(fm.horizontalAdvance(QString(78, 'x')), fm.lineSpacing() * 26);
    FitToScreen(this);
}
