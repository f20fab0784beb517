#include "frstar.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "frSearchTools.h"

TfrStarWnd::TfrStarWnd(const std::string& dataFolder, double epoch, QWidget* parent)
    : QDialog(parent), Epoch(epoch) {
    setObjectName("frStar");
    setWindowTitle("Transit Object - Star");
    StarListBox = new QListWidget(this);
    StarListBox->setObjectName("StarListBox");
    auto field = [this](const char* name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setReadOnly(true);
        return edit;
    };
    txt_ra = field("txt_ra");
    txt_dec = field("txt_dec");
    txt_mag = field("txt_mag");
    txt_name = field("txt_name");
    txt_common = field("txt_common");
    auto* fields = new QFormLayout;
    fields->addRow("R.A. (Epoch)", txt_ra);
    fields->addRow("DEC (Epoch)", txt_dec);
    fields->addRow("Magnitude", txt_mag);
    fields->addRow("Name", txt_name);
    fields->addRow("Common Name", txt_common);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton("Set", QDialogButtonBox::AcceptRole)->setObjectName("bn_set");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    fields->addRow(buttons);
    auto* row = new QHBoxLayout(this);
    row->addWidget(StarListBox, 1);
    row->addLayout(fields, 1);

    FileFound = ReadStarFile(dataFolder + "star.dat", Lines);
    for (const std::string& name : StarListNames(Lines)) StarListBox->addItem(WidgetText(name));
    connect(StarListBox, &QListWidget::currentRowChanged, this, &TfrStarWnd::ShowSelection);
    if (StarListBox->count() > 0) StarListBox->setCurrentRow(0);
    resize(560, 320);
}

void TfrStarWnd::ShowSelection() {
    const QListWidgetItem* item = StarListBox->currentItem();
    TStarChoice star;
    if (!item || !FindStar(Lines, item->text().toLatin1().toStdString(), Epoch, star)) return;
    Star = star;
    txt_ra->setText(WidgetText(star.raText));
    txt_dec->setText(WidgetText(star.decText));
    txt_mag->setText(WidgetText(star.magText));
    txt_name->setText(WidgetText(star.catalogueName));
    txt_common->setText(WidgetText(star.commonName));
}

std::string TfrStarWnd::commonName() const { return txt_common->text().toLatin1().toStdString(); }
