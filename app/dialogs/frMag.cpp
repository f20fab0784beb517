#include "frMag.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include <algorithm>

#include "frCommon.h"
#include "uFileIO.h"
#include "uMagFile.h"
#include "uMagNames.h"
#include "ui_frMag.h"

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
    : QDialog(parent), Setup(std::move(setup)), Path(Setup.dataFolder + "Mag.dat"), Form(std::make_unique<Ui::TfrMagWnd>()) {
    setWindowTitle(kCaption);
    setWindowIcon(QApplication::windowIcon());
    BuildUi();
    Form->lb_range->setText(Setup.metric ? "Km" : "Mi");
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
    Form->setupUi(this);
    QFont fixed("Courier New");
    fixed.setStyleHint(QFont::TypeWriter);
    Form->MagListBox->setFont(fixed);
    Form->MagListBox->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QString(kShownLineWidth + 4, 'M')));
    // The box's order is kSources'.
    for (const char* name : kSourceNames) Form->cb_source->addItem(name);
    // Up to nine digits, or the Alpha-5 form.
    Form->txt_number->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]{1,9}|[A-HJ-NP-Za-hj-np-z][0-9]{4}"), Form->txt_number));
    FitToScreen(this);

    connect(Form->MagListBox, &QListWidget::currentRowChanged, this, [this](int row) {
        if (Mode == kRest) ShowEntry(row);
    });
    // A magnitude typed in is the user's own.
    connect(Form->txt_mag, &QLineEdit::textEdited, this, [this] {
        if (Mode != kRest) Form->cb_source->setCurrentIndex(SourceIndex(TMagSource::kUser));
    });
    connect(Form->bn_new, &QPushButton::clicked, this, [this] { SetMode(kNew); });
    connect(Form->bn_edit, &QPushButton::clicked, this, [this] {
        if (Form->MagListBox->currentRow() >= 0) SetMode(kEdit);
    });
    connect(Form->bn_cancel, &QPushButton::clicked, this, [this] {
        SetMode(kRest);
        ShowEntry(Form->MagListBox->currentRow());
    });
    connect(Form->bn_save, &QPushButton::clicked, this, &TfrMagWnd::bn_saveClick);
    connect(Form->bn_delete, &QPushButton::clicked, this, &TfrMagWnd::bn_deleteClick);
    connect(Form->bn_search, &QPushButton::clicked, this, &TfrMagWnd::bn_searchClick);
    connect(Form->txt_search, &QLineEdit::returnPressed, this, &TfrMagWnd::bn_searchClick);
    connect(Form->bn_update, &QPushButton::clicked, this, &TfrMagWnd::bn_updateClick);
    connect(Form->bn_close, &QPushButton::clicked, this, &QDialog::accept);
}

// ---- the list and the fields ----------------------------------------------------

void TfrMagWnd::ShowList(int select) {
    {
        const QSignalBlocker block(Form->MagListBox);
        Form->MagListBox->clear();
        for (const std::string& line : Lines) Form->MagListBox->addItem(WidgetText(std::string_view(line).substr(0, kShownLineWidth)));
        if (select >= 0 && select < Form->MagListBox->count()) Form->MagListBox->setCurrentRow(select);
    }
    ShowEntry(Form->MagListBox->currentRow());
}

void TfrMagWnd::ShowEntry(int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < Lines.size()) {
        const std::string& line = Lines[static_cast<std::size_t>(index)];
        Form->txt_name->setText(WidgetText(MagName(line)));
        Form->txt_number->setText(WidgetText(ShownNumber(line)));
        Form->txt_mag->setText(WidgetText(MagText(line)));
        double mag = 0.0;
        TMagSource source = TMagSource::kUnknown;
        MagLineValue(line, mag, &source);
        Form->cb_source->setCurrentIndex(SourceIndex(source));
        Form->MagListBox->scrollToItem(Form->MagListBox->item(index));
    }
    ResetRange();
}

void TfrMagWnd::ResetRange() { Form->txt_range->setText(Setup.metric ? "1000" : "622"); }

void TfrMagWnd::SetMode(TMode mode) {
    Mode = mode;
    const bool editing = mode != kRest;
    for (QLineEdit* e : {Form->txt_name, Form->txt_number, Form->txt_mag, Form->txt_range}) {
        e->setReadOnly(!editing || (e == Form->txt_number && mode == kEdit));
        e->setStyleSheet(editing && !e->isReadOnly() ? "color: red" : "");
    }
    if (mode == kNew) {
        Form->txt_name->clear();
        Form->txt_number->setText("99999");
        Form->txt_mag->setText("8.0");
        Form->cb_source->setCurrentIndex(SourceIndex(TMagSource::kUser));
        ResetRange();
    }
    Form->cb_source->setEnabled(editing);
    Form->bn_save->setEnabled(editing && !Updating);
    Form->bn_cancel->setEnabled(editing && !Updating);
    for (QWidget* w : std::initializer_list<QWidget*>{Form->bn_new, Form->bn_edit, Form->bn_delete, Form->bn_update})
        w->setEnabled(!editing && !Updating);
    Form->MagListBox->setEnabled(!editing && !Updating);
    if (editing) (mode == kNew ? Form->txt_number : Form->txt_name)->setFocus();
}

// ---- commands ---------------------------------------------------------------------------

void TfrMagWnd::bn_saveClick() {
    TMagEntryInput in;
    in.isNew = Mode == kNew;
    in.number = ProgramText(Form->txt_number->text());
    in.name = ProgramText(Form->txt_name->text());
    in.magnitude = ProgramText(Form->txt_mag->text());
    in.range = ProgramText(Form->txt_range->text());
    in.distanceFactor = Setup.distanceFactor;
    in.source = kSources[std::clamp(Form->cb_source->currentIndex(), 0, 4)];
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
    const int row = Form->MagListBox->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= Lines.size()) return;
    const std::string item = ProgramText(Form->MagListBox->item(row)->text());
    QPointer<TfrMagWnd> self(this);
    AskYesNo(this, "Do you wish to delete  \"" + item + "\"", kPlainTitle, [self, row] {
        if (!self || self->Mode != kRest || static_cast<std::size_t>(row) >= self->Lines.size()) return;
        self->Lines.erase(self->Lines.begin() + row);
        self->Changed = true;
        self->ShowList(std::min(row, static_cast<int>(self->Lines.size()) - 1));
    });
}

void TfrMagWnd::bn_searchClick() {
    const int found = FindMagLine(UpperText(ProgramText(Form->txt_search->text())), Lines);
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
            ShowList(std::max(0, Form->MagListBox->currentRow()));
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
