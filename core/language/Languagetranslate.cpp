#include "core/language/Languagetranslate.h"

#include "core/language/uiLanguage.h"
#include "platform/dialogs/message_box.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kTabWindow = 8;    // tabs shown at once once paging has started
constexpr int kSpareRows = 100;  // empty rows below the source texts of a new grid
constexpr int kGrowRows = 30;    // rows added when the source texts outgrow a grid

QString cellText(const QTableWidget* grid, int row, int col) {
    const QTableWidgetItem* item = grid->item(row, col);
    return item ? item->text() : QString();
}

void setCell(QTableWidget* grid, int row, int col, const QString& text) {
    QTableWidgetItem* item = grid->item(row, col);
    if (!item) {
        item = new QTableWidgetItem;
        if (col == 0) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        grid->setItem(row, col, item);
    }
    item->setText(text);
}

// The translation of source in one table as the translate function finds it: the first line's
// translation, or nothing when there is no line or its translation is empty.
QString translationIn(const TTextList* table, const QString& source) {
    if (!table) return {};
    bool found = false;
    const QString t = table->ValueOf(source, &found);
    return found ? t : QString();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Creation

TuiLanguageDesignForm::TuiLanguageDesignForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Language Translate v1.2 KALMENDO INC."));
    setFont(QFont(QStringLiteral("Tahoma")));
    resize(930, 508);

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);

    ToolBar1 = new QWidget(this);
    ToolBar1->setFixedHeight(35);
    auto* tb = new QHBoxLayout(ToolBar1);
    Label1 = new QLabel(QStringLiteral("Langs List："), ToolBar1);
    LangCombo = new QComboBox(ToolBar1);
    LangCombo->setFixedWidth(195);
    LangCombo->setMaxVisibleItems(20);
    BtnAddLanguage = new QPushButton(QStringLiteral("Add Language"), ToolBar1);
    BtnDelet = new QPushButton(QStringLiteral("Delete Language"), ToolBar1);
    BtnPrevPage = new QPushButton(QStringLiteral("Prev Page"), ToolBar1);
    BtnNextPage = new QPushButton(QStringLiteral("Next Page"), ToolBar1);
    for (QWidget* w :
         {static_cast<QWidget*>(Label1), static_cast<QWidget*>(LangCombo), static_cast<QWidget*>(BtnAddLanguage),
          static_cast<QWidget*>(BtnDelet), static_cast<QWidget*>(BtnPrevPage), static_cast<QWidget*>(BtnNextPage)})
        tb->addWidget(w);
    tb->addStretch();
    main->addWidget(ToolBar1);

    TabControl1 = new QTabWidget(this);
    main->addWidget(TabControl1, 1);

    StatusBar1 = new QWidget(this);
    StatusBar1->setFixedHeight(40);
    auto* sb = new QHBoxLayout(StatusBar1);
    Text1 = new QLabel(QStringLiteral("Type Text to translate:"), StatusBar1);
    TBConstText = new QLineEdit(StatusBar1);
    BTNADDConstText = new QPushButton(QStringLiteral("Add Const Text"), StatusBar1);
    BTNDELCONSTTEXT = new QPushButton(QStringLiteral("Delete Item From List"), StatusBar1);
    sbtnsavelanguagetofile = new QToolButton(StatusBar1);
    sbtnsavelanguagetofile->setText(QStringLiteral("Save to language file"));
    SpeedButton2 = new QToolButton(StatusBar1);
    SpeedButton2->setText(QStringLiteral("Get/Set Text List"));
    for (QWidget* w : {static_cast<QWidget*>(Text1), static_cast<QWidget*>(TBConstText),
                       static_cast<QWidget*>(BTNADDConstText), static_cast<QWidget*>(BTNDELCONSTTEXT),
                       static_cast<QWidget*>(sbtnsavelanguagetofile), static_cast<QWidget*>(SpeedButton2)})
        sb->addWidget(w);
    main->addWidget(StatusBar1);

    PopupTextList = new QDialog(this);
    PopupTextList->resize(667, 368);
    auto* pl = new QVBoxLayout(PopupTextList);
    MemoTextList = new QPlainTextEdit(QStringLiteral("Memo"), PopupTextList);
    MemoTextList->setLineWrapMode(QPlainTextEdit::NoWrap);
    BtnSaveTextList = new QPushButton(QStringLiteral("Save"), PopupTextList);
    pl->addWidget(MemoTextList, 1);
    pl->addWidget(BtnSaveTextList);

    // Push buttons fire on release, as the page buttons should.
    connect(BtnAddLanguage, &QPushButton::clicked, this, &TuiLanguageDesignForm::BtnAddLanguageClick);
    connect(BtnDelet, &QPushButton::clicked, this, &TuiLanguageDesignForm::BtnDeletClick);
    connect(BtnPrevPage, &QPushButton::clicked, this, &TuiLanguageDesignForm::BtnPrevPageMouseUp);
    connect(BtnNextPage, &QPushButton::clicked, this, &TuiLanguageDesignForm::BtnNextPageMouseUp);
    connect(BTNADDConstText, &QPushButton::clicked, this, &TuiLanguageDesignForm::BTNADDConstTextClick);
    connect(BTNDELCONSTTEXT, &QPushButton::clicked, this, &TuiLanguageDesignForm::BTNDELCONSTTEXTClick);
    connect(sbtnsavelanguagetofile, &QToolButton::clicked, this, &TuiLanguageDesignForm::BtnSaveClick);
    connect(SpeedButton2, &QToolButton::clicked, this, &TuiLanguageDesignForm::SpeedButton2Click);
    connect(BtnSaveTextList, &QPushButton::clicked, this, &TuiLanguageDesignForm::BtnSaveTextListClick);

    // The editor's own locale list: every locale by its language name, in LANGID order.
    FLocales = vyk::language::supportedLocales();
    for (const auto& l : FLocales) LangCombo->addItem(l.localizedName);
    LangCombo->setCurrentIndex(-1);
}

TuiLanguageDesignForm::~TuiLanguageDesignForm() = default;

void TuiLanguageDesignForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TuiLanguageDesignForm::FormShow() {
    if (FLang) return;
    // Standalone: edit the language file beside the executable.
    FOwnLang = std::make_unique<TuiLanguage>(nullptr, TuiLanguage::State::Designing);
    FLang = FOwnLang.get();
    try {
        FLang->LoadFromFile(LanguageFilePath());
    } catch (const std::exception& e) {
        vyk::platform::messageBox(windowTitle(), QString::fromUtf8(e.what()), vyk::platform::MessageIcon::Error, this);
    }
    LoadLanguageAndCreateTranslateTabList(FLang);
}

// ---------------------------------------------------------------------------------------------
// Tabs

QTableWidget* TuiLanguageDesignForm::gridAt(int tabIndex) const {
    QWidget* page = TabControl1->widget(tabIndex);
    return page ? page->findChild<QTableWidget*>() : nullptr;
}

QTableWidget* TuiLanguageDesignForm::selectedGrid() const { return gridAt(TabControl1->currentIndex()); }

int TuiLanguageDesignForm::tabIndexOfLang(const QString& langId) const {
    for (int i = 0; i < TabControl1->count(); ++i)
        if (QTableWidget* g = gridAt(i); g && g->toolTip().compare(langId, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QTableWidget* TuiLanguageDesignForm::createTab(const QString& caption, const QString& langId) {
    auto* page = new QWidget;
    auto* layout = new QWidget(page);  // the tab's layout area
    layout->setGeometry(0, 20, 876, 411);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(layout);
    auto* grid = new QTableWidget(FLang ? FLang->Original().Count() + kSpareRows : kSpareRows, 2, layout);
    auto* fill = new QVBoxLayout(layout);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(grid);
    grid->setColumnWidth(0, 380);
    grid->setColumnWidth(1, 440);
    grid->setHorizontalHeaderLabels({QStringLiteral("Text"), QStringLiteral("Translation")});
    grid->setToolTip(langId);
    TabControl1->addTab(page, caption);
    return grid;
}

// Writes the source texts into column 1 and the translations into column 2. A row keeps the
// translation typed into it (keepGridValues) until the editor saves; otherwise column 2 takes
// the table's translation, or the source text itself (sourceWhenUntranslated) or nothing.
void TuiLanguageDesignForm::fillGrid(QTableWidget* grid, const QString& langId, bool sourceWhenUntranslated,
                                     bool keepGridValues) {
    const TTextList& original = FLang->Original();
    QHash<QString, QString> typed;
    if (keepGridValues) {
        for (int r = 0; r < grid->rowCount(); ++r) {
            const QString src = cellText(grid, r, 0);
            if (src.isEmpty()) break;
            typed.insert(src, cellText(grid, r, 1));
        }
    }
    const int i = FLang->IndexOfResource(langId);
    const TTextList* table = i >= 0 ? &FLang->Resources()[static_cast<size_t>(i)].Table : nullptr;
    if (grid->rowCount() < original.Count()) grid->setRowCount(original.Count() + kGrowRows);
    for (int r = 0; r < original.Count(); ++r) {
        const QString& src = original[r];
        setCell(grid, r, 0, src);
        QString tr;
        if (typed.contains(src)) {
            tr = typed.value(src);
        } else {
            tr = translationIn(table, src);
            if (tr.isEmpty() && sourceWhenUntranslated) tr = src;
        }
        setCell(grid, r, 1, tr);
    }
    // Rows below the source texts stay empty, so nothing stale is saved.
    for (int r = original.Count(); r < grid->rowCount(); ++r) {
        if (cellText(grid, r, 0).isEmpty() && cellText(grid, r, 1).isEmpty()) break;
        setCell(grid, r, 0, QString());
        setCell(grid, r, 1, QString());
    }
}

void TuiLanguageDesignForm::refillAllGrids(QTableWidget* fromTable) {
    for (int t = 0; t < TabControl1->count(); ++t) {
        QTableWidget* g = gridAt(t);
        if (g) fillGrid(g, g->toolTip(), true, g != fromTable);
    }
}

void TuiLanguageDesignForm::LoadLanguageAndCreateTranslateTabList(TuiLanguage* lang) {
    FLang = lang;
    if (!lang) return;
    for (const TLangResource& res : lang->Resources()) {
        if (tabIndexOfLang(res.Name) >= 0) continue;
        // A language that no known locale carries still gets a tab (named as in the file),
        // so that saving keeps it.
        QString caption = res.Name;
        for (const auto& l : FLocales)
            if (l.langId.compare(res.Name, Qt::CaseInsensitive) == 0 && l.hasCountry) caption = l.localizedName;
        QTableWidget* grid = createTab(caption, res.Name);
        fillGrid(grid, res.Name, true, false);
        TabControl1->setCurrentIndex(TabControl1->count() - 1);
        ++FTabCounter;
    }
}

void TuiLanguageDesignForm::BtnAddLanguageClick() {
    const int c = LangCombo->currentIndex();
    if (c < 0 || c >= static_cast<int>(FLocales.size()) || !FLang) return;
    const auto& locale = FLocales[static_cast<size_t>(c)];
    if (const int existing = tabIndexOfLang(locale.langId); existing >= 0) {
        TabControl1->setCurrentIndex(existing);
        return;
    }
    QTableWidget* grid = createTab(locale.localizedName, locale.langId);
    // The language enters Resources when the editor saves.
    fillGrid(grid, locale.langId, false, false);
    TabControl1->setCurrentIndex(TabControl1->count() - 1);
    ++FTabCounter;
    applyTabWindow();
}

void TuiLanguageDesignForm::BtnDeletClick() {
    const int t = TabControl1->currentIndex();
    if (t < 0 || !FLang) return;
    const QString langId = gridAt(t) ? gridAt(t)->toolTip() : QString();
    QWidget* page = TabControl1->widget(t);
    TabControl1->removeTab(t);
    delete page;
    if (const int i = FLang->IndexOfResource(langId); i >= 0) FLang->Resources().erase(FLang->Resources().begin() + i);
    --FTabCounter;
    FPaged = true;
    if (FFirstShownTab > 0 && FFirstShownTab >= TabControl1->count())
        FFirstShownTab = std::max(0, TabControl1->count() - kTabWindow);
    TabControl1->setCurrentIndex(TabControl1->count() - 1);
    applyTabWindow();
    if (TabControl1->count() > 0) TabControl1->setCurrentIndex(std::max(0, t - 1));
}

void TuiLanguageDesignForm::applyTabWindow() {
    if (!FPaged) return;
    for (int i = 0; i < TabControl1->count(); ++i)
        TabControl1->setTabVisible(i, i >= FFirstShownTab && i < FFirstShownTab + kTabWindow);
}

void TuiLanguageDesignForm::BtnNextPageMouseUp() {
    FPaged = true;
    if (FTabCounter - FFirstShownTab > kTabWindow) ++FFirstShownTab;
    applyTabWindow();
}

void TuiLanguageDesignForm::BtnPrevPageMouseUp() {
    FPaged = true;
    if (FFirstShownTab > 0) --FFirstShownTab;
    applyTabWindow();
}

// ---------------------------------------------------------------------------------------------
// Source texts

void TuiLanguageDesignForm::BTNADDConstTextClick() {
    if (!FLang) return;
    const QString text = TBConstText->text();
    if (text.isEmpty() || FLang->Original().Contains(text)) return;
    FLang->Original().Add(text);
    refillAllGrids();
}

void TuiLanguageDesignForm::BTNDELCONSTTEXTClick() {
    QTableWidget* grid = selectedGrid();
    if (!grid || !FLang) return;
    const int row = grid->currentRow();
    if (row < 0) return;
    const QString text = cellText(grid, row, 0);
    const int idx = FLang->Original().IndexOf(text);
    if (text.isEmpty() || idx < 0) return;
    FLang->Original().Delete(idx);
    // Every grid lists the source texts in the same order, so the row is the same in all.
    for (int t = 0; t < TabControl1->count(); ++t) {
        QTableWidget* g = gridAt(t);
        if (!g || row >= g->rowCount()) continue;
        int r = row;
        for (; r + 1 < g->rowCount() && !cellText(g, r + 1, 0).isEmpty(); ++r) {
            setCell(g, r, 0, cellText(g, r + 1, 0));
            setCell(g, r, 1, cellText(g, r + 1, 1));
        }
        setCell(g, r, 0, QString());
        setCell(g, r, 1, QString());
    }
}

// ---------------------------------------------------------------------------------------------
// Text list

void TuiLanguageDesignForm::SpeedButton2Click() {
    QTableWidget* grid = selectedGrid();
    if (!grid || !FLang) return;
    QStringList lines;
    FMemoSources.clear();
    for (int r = 0; r < grid->rowCount(); ++r) {
        const QString src = cellText(grid, r, 0);
        if (src.isEmpty()) break;
        const QString tr = cellText(grid, r, 1);
        if (tr.isEmpty()) continue;
        lines << src + QLatin1Char('=') + tr;
        FMemoSources << src;
    }
    FMemoGrid = grid;
    MemoTextList->setPlainText(lines.join(QLatin1Char('\n')));
    PopupTextList->exec();
    FMemoGrid = nullptr;
}

void TuiLanguageDesignForm::BtnSaveTextListClick() {
    QTableWidget* grid = FMemoGrid ? FMemoGrid : selectedGrid();
    if (!grid || !FLang) return;
    const QString langId = grid->toolTip();
    FLang->AddLang(langId);
    TTextList& table = FLang->Resources()[static_cast<size_t>(FLang->IndexOfResource(langId))].Table;
    // The list holds the translated rows only, so its lines are merged into the source texts
    // rather than replacing them: untranslated texts stay. A line taken out of the list takes
    // its translation with it.
    QSet<QString> listed;
    for (const QString& line : SplitTextBlock(MemoTextList->toPlainText())) {
        if (line.isEmpty()) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        const QString src = eq < 0 ? line : line.left(eq);
        const QString tr = eq < 0 ? QString() : line.mid(eq + 1);
        if (src.isEmpty()) continue;
        FLang->Original().Add(src);
        table.SetValue(src, tr);
        listed.insert(src);
    }
    for (const QString& src : FMemoSources)
        if (!listed.contains(src)) table.SetValue(src, QString());
    FMemoSources.clear();
    refillAllGrids(grid);
    PopupTextList->accept();
}

// ---------------------------------------------------------------------------------------------
// Save

void TuiLanguageDesignForm::BtnSaveClick() {
    if (!FLang) return;
    FLang->Resources().clear();
    for (int t = 0; t < TabControl1->count(); ++t) {
        QTableWidget* grid = gridAt(t);
        if (!grid) continue;
        const QString name = grid->toolTip();
        FLang->AddLang(name);
        TTextList& table = FLang->Resources()[static_cast<size_t>(FLang->IndexOfResource(name))].Table;
        for (int r = 0; r < grid->rowCount(); ++r) {
            const QString src = cellText(grid, r, 0);
            if (src.isEmpty()) break;
            table.SetValue(src, cellText(grid, r, 1));
        }
    }
    try {
        // Written to a temporary file and renamed over ui.local: a failed write keeps the old file.
        FLang->SaveToFile(LanguageFilePath());
    } catch (const std::exception& e) {
        vyk::platform::messageBox(windowTitle(), QString::fromUtf8(e.what()), vyk::platform::MessageIcon::Error, this);
        return;
    }
    if (FOpenedForComponent) accept();
}

void ShowLanguageDesignForm(TuiLanguage* lang) {
    TuiLanguageDesignForm form;
    form.FLang = lang;
    form.FOpenedForComponent = lang != nullptr;
    form.LoadLanguageAndCreateTranslateTabList(lang);
    form.exec();
}
