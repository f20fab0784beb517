#include "frRaDec.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

#include "uTargets.h"

namespace {
// The digits and the sign of a masked field, without its marks and blanks.
std::string EntryOf(const QLineEdit* field) {
    std::string out;
    for (const QChar c : field->text())
        if (c.isDigit() || c == '+' || c == '-') out += static_cast<char>(c.unicode());
    return out;
}
}  // namespace

TfrRaDecWnd::TfrRaDecWnd(double ra, double dec, QWidget* parent) : QDialog(parent) {
    setObjectName("frRaDec");
    setWindowTitle("RA/DEC");
    mstxt_ra = new QLineEdit(this);
    mstxt_ra->setObjectName("mstxt_ra");
    mstxt_ra->setInputMask("99\\h 99m 99s;_");
    mstxt_ra->setText(QString::fromStdString(RaEntryText(ra)));
    mstxt_dec = new QLineEdit(this);
    mstxt_dec->setObjectName("mstxt_dec");
    mstxt_dec->setInputMask(QString::fromUtf8("#99\u00B0 99' 99\";_"));
    mstxt_dec->setText(QString::fromStdString(DecEntryText(dec)));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton("Set", QDialogButtonBox::AcceptRole)->setObjectName("bn_set");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* form = new QFormLayout(this);
    form->addRow("Right Ascension", mstxt_ra);
    form->addRow("Declination", mstxt_dec);
    form->addRow(buttons);
}

void TfrRaDecWnd::done(int result) {
    // Read whichever way the window closes.
    ReadRaDecEntry(EntryOf(mstxt_ra), EntryOf(mstxt_dec), Ra, Dec, &Message);
    QDialog::done(result);
}
