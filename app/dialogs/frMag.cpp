#include "frMag.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

#include "frCommon.h"
#include "uFileIO.h"
#include "uMagFile.h"
#include "uMagNames.h"

namespace {

constexpr int kWorkerNamesUpdate = 26;

// The sources the editor offers, in the order of its box.
constexpr TMagSource kSources[] = {TMagSource::kObserved, TMagSource::kRcs, TMagSource::kNameRule,
                                   TMagSource::kUser, TMagSource::kUnknown};
constexpr const char* kSourceNames[] = {"Observed", "RCS estimate", "Name rule", "User's own", "Unknown"};

int SourceIndex(TMagSource s) {
    for (int i = 0; i < 5; ++i)
        if (kSources[i] == s) return i;
    return 4;
}

// The number as typed: a nine-digit one from its own field, not the "*****" of columns 1-5.
std::string ShownNumber(const std::string& line) {
    const std::string five = MagNumber(line);
    const long n = MagNumberValue(line);
    return five.find('*') != std::string::npos && n >= 0 ? std::to_string(n) : five;
}
constexpr int kShownLineWidth = 30;
constexpr const char* kCaption = "Satellite Magnitude";
constexpr const char* kUpdateQuestion =
    "Orbisk requires to download a Velmar file to update the magnitude file, do you wish to continue?";

}  // namespace

TfrMagWnd::TfrMagWnd(TMagWndSetup setup, QWidget* parent)
    : QDialog(parent), Setup(std::move(setup)), Path(Setup.dataFolder + "Mag.dat") {
    setObjectName("frMag");
    setWindowTitle(kCaption);
    setWindowIcon(QApplication::windowIcon());
    BuildUi();
    lb_range->setText(Setup.metric ? "Km" : "Mi");
    TMagFile mag;
    if (!LoadMagFile(Path, mag) && IsUnreadableFile(Path)) {
        Readable = false;
        ShowMessageBox(this, "File: " + Path + " " + FileProblem(Path) + "; it is left as it is");
    }
    Url = mag.url;
    Lines = std::move(mag.lines);
    // A file without its URL line gets the built-in one at closing.
    Changed = Readable && !mag.hadUrl;
    const int first = FindMagLine(Setup.firstSatNumber, Lines);
    ShowList(first >= 0 ? first : 0);
    SetMode(kRest);
}

TfrMagWnd::~TfrMagWnd() { Stop->store(true); }

void TfrMagWnd::BuildUi() {
    MagListBox = new QListWidget(this);
    MagListBox->setObjectName("MagListBox");
    QFont fixed("Courier New");
    fixed.setStyleHint(QFont::TypeWriter);
    MagListBox->setFont(fixed);
    MagListBox->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QString(kShownLineWidth + 4, 'M')));
    txt_name = Named<QLineEdit>(this, "txt_name");
    txt_number = Named<QLineEdit>(this, "txt_number");
    txt_mag = Named<QLineEdit>(this, "txt_mag");
    txt_range = Named<QLineEdit>(this, "txt_range");
    txt_search = Named<QLineEdit>(this, "txt_search");
    cb_source = Named<QComboBox>(this, "cb_source");
    for (const char* name : kSourceNames) cb_source->addItem(name);
    cb_source->setToolTip("Where the standard magnitude came from; an unknown one is saved as the 8.0 placeholder");
    txt_name->setMaxLength(30);
    // Up to nine digits, or the Alpha-5 form.
    txt_number->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]{1,9}|[A-HJ-NP-Za-hj-np-z][0-9]{4}"), txt_number));
    for (QLineEdit* e : {txt_mag, txt_range}) e->setMaxLength(8);
    lb_range = new QLabel(this);
    bn_new = NewButton(this, "bn_new", "New");
    bn_edit = NewButton(this, "bn_edit", "Edit");
    bn_save = NewButton(this, "bn_save", "Save");
    bn_cancel = NewButton(this, "bn_cancel", "Cancel");
    bn_delete = NewButton(this, "bn_delete", "Delete");
    bn_update = NewButton(this, "bn_update", "Update");
    bn_close = NewButton(this, "bn_close", "Close");
    bn_search = NewButton(this, "bn_search", "Search");

    auto* form = new QGridLayout;
    form->addWidget(new QLabel("Name", this), 0, 0);
    form->addWidget(txt_name, 0, 1, 1, 2);
    form->addWidget(new QLabel("Number", this), 1, 0);
    form->addWidget(txt_number, 1, 1);
    form->addWidget(new QLabel("Magnitude", this), 2, 0);
    form->addWidget(txt_mag, 2, 1);
    form->addWidget(new QLabel("Range", this), 3, 0);
    form->addWidget(txt_range, 3, 1);
    form->addWidget(lb_range, 3, 2);
    form->addWidget(new QLabel("Source", this), 4, 0);
    form->addWidget(cb_source, 4, 1, 1, 2);
    auto* search = new QHBoxLayout;
    search->addWidget(txt_search, 1);
    search->addWidget(bn_search);
    auto* edits = new QGridLayout;
    edits->addWidget(bn_new, 0, 0);
    edits->addWidget(bn_edit, 0, 1);
    edits->addWidget(bn_delete, 0, 2);
    edits->addWidget(bn_save, 1, 0);
    edits->addWidget(bn_cancel, 1, 1);
    edits->addWidget(bn_update, 1, 2);
    auto* right = new QVBoxLayout;
    right->addLayout(form);
    right->addSpacing(8);
    right->addWidget(new QLabel("Search", this));
    right->addLayout(search);
    right->addStretch(1);
    right->addLayout(edits);
    right->addWidget(bn_close);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(MagListBox, 1);
    layout->addLayout(right);
    resize(640, 420);
    FitToScreen(this);

    connect(MagListBox, &QListWidget::currentRowChanged, this, [this](int row) {
        if (Mode == kRest) ShowEntry(row);
    });
    // A magnitude typed in is the user's own.
    connect(txt_mag, &QLineEdit::textEdited, this, [this] {
        if (Mode != kRest) cb_source->setCurrentIndex(SourceIndex(TMagSource::kUser));
    });
    connect(bn_new, &QPushButton::clicked, this, [this] { SetMode(kNew); });
    connect(bn_edit, &QPushButton::clicked, this, [this] {
        if (MagListBox->currentRow() >= 0) SetMode(kEdit);
    });
    connect(bn_cancel, &QPushButton::clicked, this, [this] {
        SetMode(kRest);
        ShowEntry(MagListBox->currentRow());
    });
    connect(bn_save, &QPushButton::clicked, this, &TfrMagWnd::bn_saveClick);
    connect(bn_delete, &QPushButton::clicked, this, &TfrMagWnd::bn_deleteClick);
    connect(bn_search, &QPushButton::clicked, this, &TfrMagWnd::bn_searchClick);
    connect(txt_search, &QLineEdit::returnPressed, this, &TfrMagWnd::bn_searchClick);
    connect(bn_update, &QPushButton::clicked, this, &TfrMagWnd::bn_updateClick);
    connect(bn_close, &QPushButton::clicked, this, &QDialog::accept);
}

// ---- the list and the fields ----------------------------------------------------

void TfrMagWnd::ShowList(int select) {
    {
        const QSignalBlocker block(MagListBox);
        MagListBox->clear();
        for (const std::string& line : Lines) MagListBox->addItem(WidgetText(std::string_view(line).substr(0, kShownLineWidth)));
        if (select >= 0 && select < MagListBox->count()) MagListBox->setCurrentRow(select);
    }
    ShowEntry(MagListBox->currentRow());
}

void TfrMagWnd::ShowEntry(int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < Lines.size()) {
        const std::string& line = Lines[static_cast<std::size_t>(index)];
        txt_name->setText(WidgetText(MagName(line)));
        txt_number->setText(WidgetText(ShownNumber(line)));
        txt_mag->setText(WidgetText(MagText(line)));
        double mag = 0.0;
        TMagSource source = TMagSource::kUnknown;
        MagLineValue(line, mag, &source);
        cb_source->setCurrentIndex(SourceIndex(source));
        MagListBox->scrollToItem(MagListBox->item(index));
    }
    ResetRange();
}

void TfrMagWnd::ResetRange() { txt_range->setText(Setup.metric ? "1000" : "622"); }

void TfrMagWnd::SetMode(TMode mode) {
    Mode = mode;
    const bool editing = mode != kRest;
    for (QLineEdit* e : {txt_name, txt_number, txt_mag, txt_range}) {
        e->setReadOnly(!editing || (e == txt_number && mode == kEdit));
        e->setStyleSheet(editing && !e->isReadOnly() ? "color: red" : "");
    }
    if (mode == kNew) {
        txt_name->clear();
        txt_number->setText("99999");
        txt_mag->setText("8.0");
        cb_source->setCurrentIndex(SourceIndex(TMagSource::kUser));
        ResetRange();
    }
    cb_source->setEnabled(editing);
    bn_save->setEnabled(editing && !Updating);
    bn_cancel->setEnabled(editing && !Updating);
    for (QWidget* w : std::initializer_list<QWidget*>{bn_new, bn_edit, bn_delete, bn_update})
        w->setEnabled(!editing && !Updating);
    MagListBox->setEnabled(!editing && !Updating);
    if (editing) (mode == kNew ? txt_number : txt_name)->setFocus();
}

// ---- commands ---------------------------------------------------------------------------

void TfrMagWnd::bn_saveClick() {
    TMagEntryInput in;
    in.isNew = Mode == kNew;
    in.number = ProgramText(txt_number->text());
    in.name = ProgramText(txt_name->text());
    in.magnitude = ProgramText(txt_mag->text());
    in.range = ProgramText(txt_range->text());
    in.distanceFactor = Setup.distanceFactor;
    in.source = kSources[std::clamp(cb_source->currentIndex(), 0, 4)];
    const TMagSaveResult r = SaveMagEntry(Lines, in);
    if (!r.ok) {
        ShowMessageBox(this, r.message);
        return;
    }
    Changed = true;
    SetMode(kRest);
    ShowList(r.index);
    ShowMessageBox(this, r.message);
}

void TfrMagWnd::bn_deleteClick() {
    const int row = MagListBox->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= Lines.size()) return;
    const std::string item = ProgramText(MagListBox->item(row)->text());
    QPointer<TfrMagWnd> self(this);
    AskYesNo(this, "Do you wish to delete  \"" + item + "\"", kPlainTitle, [self, row] {
        if (!self || self->Mode != kRest || static_cast<std::size_t>(row) >= self->Lines.size()) return;
        self->Lines.erase(self->Lines.begin() + row);
        self->Changed = true;
        self->ShowList(std::min(row, static_cast<int>(self->Lines.size()) - 1));
    });
}

void TfrMagWnd::bn_searchClick() {
    const int found = FindMagLine(UpperText(ProgramText(txt_search->text())), Lines);
    if (found < 0) {
        ShowMessageBox(this, "Satellite NOT found.");
        return;
    }
    ShowList(found);
}

void TfrMagWnd::bn_updateClick() {
    QPointer<TfrMagWnd> self(this);
    AskYesNo(this, kUpdateQuestion, "Magnitude File Update", [self] {
        if (self) self->RunUpdate();
    });
}

// The download and merge run on a worker; the window stays usable for reading.
void TfrMagWnd::RunUpdate() {
    if (Updating || Mode != kRest || !Readable) return;
    Updating = true;
    setWindowTitle(QString(kCaption) + " - Processing...");
    SetMode(kRest);
    auto lines = std::make_shared<std::vector<std::string>>(Lines);
    TNetConfig config = Setup.net;
    config.stop = Stop.get();
    const std::string url = Url, folder = Setup.elementFolder;
    auto stop = Stop;  // outlives the job
    Workers.Start(kWorkerNamesUpdate, [this, lines, config, url, folder, stop]() -> TWorkers::TApply {
        auto report = std::make_shared<TNetReport>();
        const bool merged = UpdateFromNamesArchive(url, folder, *lines, config, *report);
        return [this, lines, report, merged] {
            Updating = false;
            if (merged) {
                Lines = std::move(*lines);
                Changed = true;
            }
            setWindowTitle(kCaption);
            SetMode(kRest);
            ShowList(std::max(0, MagListBox->currentRow()));
            for (const TNetMessage& m : report->messages) ShowMessageBox(this, m.text, m.title.empty() ? kPlainTitle : m.title);
        };
    });
}

void TfrMagWnd::done(int result) {
    if (Mode != kRest) {
        ShowMessageBox(this, kMagCloseRefused);
        return;
    }
    if (!Closed) {
        Closed = true;
        Stop->store(true);
        if (Changed && Readable && !SaveMagFile(Path, TMagFile{Url, Lines, true}))
            ShowMessageBox(parentWidget() ? parentWidget() : this, "File: " + Path + " could not be written");
    }
    QDialog::done(result);
}
