#pragma once
// The translation table editor: one tab per language, each with a two-column grid (English
// source text, translation). Languages and source texts can be added and deleted, a whole
// table can be edited as text, and everything is written back to ui.local beside the
// executable. It is a design tool: it opens when `Active` of a designing TuiLanguage is set,
// or standalone on the language file beside the executable.

#include "core/language/localeNames.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QToolButton;
class QWidget;
class TuiLanguage;

class TuiLanguageDesignForm : public QDialog {
    Q_OBJECT
public:
    explicit TuiLanguageDesignForm(QWidget* parent = nullptr);  // FormCreate
    ~TuiLanguageDesignForm() override;                          // FormDestroy

    // Builds one tab per language of lang's Resources.
    void LoadLanguageAndCreateTranslateTabList(TuiLanguage* lang);

    // The component being edited (nullptr until shown standalone or given by the opener).
    TuiLanguage* FLang = nullptr;
    // True when an opener handed the component over: Save then closes the editor.
    bool FOpenedForComponent = false;

    // The tool bar
    QWidget* ToolBar1 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* LangCombo = nullptr;
    QPushButton* BtnAddLanguage = nullptr;
    QPushButton* BtnDelet = nullptr;
    QPushButton* BtnPrevPage = nullptr;
    QPushButton* BtnNextPage = nullptr;
    // The tabs
    QTabWidget* TabControl1 = nullptr;
    // The text-list popup
    QDialog* PopupTextList = nullptr;
    QPlainTextEdit* MemoTextList = nullptr;
    QPushButton* BtnSaveTextList = nullptr;
    // The status bar
    QWidget* StatusBar1 = nullptr;
    QLabel* Text1 = nullptr;
    QLineEdit* TBConstText = nullptr;
    QPushButton* BTNADDConstText = nullptr;
    QPushButton* BTNDELCONSTTEXT = nullptr;
    QToolButton* sbtnsavelanguagetofile = nullptr;
    QToolButton* SpeedButton2 = nullptr;

    // The grid of the tab at that position, or of the selected tab.
    QTableWidget* gridAt(int tabIndex) const;
    QTableWidget* selectedGrid() const;
    int TabCounter() const { return FTabCounter; }
    int FirstShownTab() const { return FFirstShownTab; }

    // The locales offered by LangCombo, in its order.
    const std::vector<vyk::language::LocaleInfo>& EditorLocales() const { return FLocales; }

public slots:
    void BtnAddLanguageClick();
    void BtnDeletClick();
    void BtnSaveClick();
    void BTNADDConstTextClick();
    void BTNDELCONSTTEXTClick();
    void BtnSaveTextListClick();
    void SpeedButton2Click();
    void BtnNextPageMouseUp();
    void BtnPrevPageMouseUp();

protected:
    void showEvent(QShowEvent* event) override;  // FormShow

private:
    void FormShow();
    QTableWidget* createTab(const QString& caption, const QString& langId);
    int tabIndexOfLang(const QString& langId) const;
    void fillGrid(QTableWidget* grid, const QString& langId, bool sourceWhenUntranslated, bool keepGridValues);
    void refillAllGrids(QTableWidget* fromTable = nullptr);
    void applyTabWindow();
    // The text list opened by SpeedButton2Click: its tab and the source texts it showed.
    QTableWidget* FMemoGrid = nullptr;
    QStringList FMemoSources;

    std::vector<vyk::language::LocaleInfo> FLocales;
    std::unique_ptr<TuiLanguage> FOwnLang;
    int FTabCounter = 0;
    int FFirstShownTab = 0;
    bool FPaged = false;
};

// Creates the editor for lang, shows it modally and frees it.
void ShowLanguageDesignForm(TuiLanguage* lang);
