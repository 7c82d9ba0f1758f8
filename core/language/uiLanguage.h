#pragma once
// The language component: one instance sits on the main window of each program. It loads
// ui.local from the executable's folder when it is created, switches the current language
// (`Lang`) and then retranslates the windows registered with it, and maps LANGID texts to the
// native language names for the language chooser.
//
// The walk over a registered window reads and writes two texts per object: its caption and its
// hint. For Qt widgets the caption is the text of a button or label, the title of a group box,
// the title of a window, or a QString property named "caption" when the class declares one;
// the hint is the tool tip. Each object remembers the English text that the walk translated
// last, so a later switch (to another language, or back to English with "en") translates from
// the English text again rather than from the translation on screen; a text that the program
// has since replaced is taken as the new English text.
//
// Left alone by the walk, together with everything they own:
//  - menus and menu items (QMenu, QAction) and the classes of SpecialClassName, which set their
//    own texts through vyk::toolkit::translate();
//  - classes named in CustomClassList, which are handed to OnCustomTranslate;
//  - objects with the property "autoTranslate" set to true, or "vykToolkitScene" set to true:
//    the toolkit's own controls, which translate themselves when the table changes
//    (vyk::toolkit::translationSignals()).
//
// UI thread only.

#include "core/language/localeNames.h"
#include "core/language/vgLang.h"

#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class TuiLanguage;

using TOnLanguageChanged =
    std::function<void(QObject* AComponent, const QString& LanguageShortID, const QString& LanguageLongName)>;
using TOnCustomTranslate = std::function<void(QObject* AComponent, QStringList& ATextList, QSet<QObject*>& AList,
                                              const QString& BaseName, bool ATranslate)>;

class TuiLanguage : public TvgLang {
    Q_OBJECT
public:
    // Designing: the component is edited in a design tool; it reads no locale list and no
    // language file, and `Active` opens the translation table editor.
    enum class State { Running, Designing };

    explicit TuiLanguage(QObject* AOwner = nullptr, State state = State::Running);
    ~TuiLanguage() override;

    // Starts reading ui.local (and the table of the known locales) on a worker thread; the
    // next running instance takes what it read, waiting for it if need be, instead of reading
    // the file itself. A program calls it once it has its application object, well before it
    // makes its window. UI thread.
    static void ReadAheadLanguageFile();

    bool Designing() const { return state_ == State::Designing; }

    bool Active() const { return FActive; }
    void SetActive(bool value);
    bool ActiveLoadFromFile() const { return false; }
    void SetActiveLoadFromFile(bool value);
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool value);

    // Switches the language: makes its table current ("en": none), walks the registered
    // windows and fires OnLanguageChanged. A window element whose text cannot be written
    // raises std::runtime_error; callers run it under the program's error handler.
    QString Lang() const { return FLanguageName; }
    void SetLang(const QString& value);

    const QStringList& SpecialClassName() const { return FTranslateSpecialClassList; }
    const QStringList& CustomClassList() const { return FTranslateCustomClassList; }
    void SetCustomClassList(const QStringList& list) { FTranslateCustomClassList = list; }

    TOnCustomTranslate OnCustomTranslate;
    TOnLanguageChanged OnLanguageChanged;

    // The process-wide count of instances created with a window as owner.
    static int uiParentFormCount();

    // The system default LANGID as four upper-case hex digits ("0409" when the user's locale
    // is not one the programs know).
    QString GetOSDefaultLang() const;
    // The first two letters, in lower case, of the user locale's language code ("en", "zh").
    static QString GetDefaultLangName();
    // Position of the language in Resources (ignoring case), or -1.
    int GetLanguageIndexByShortID(const QString& Index) const;
    // The language name at that position of Resources; empty when out of range.
    QString GetLanguageShortIDByIndex(int Index) const;
    // Native language name of a LANGID text; empty when unknown.
    QString GetLanguageLongNameByLangID(const QString& LangID) const;
    QString GetLanguageLongNameByShortID(const QString& ShortID) const;

    // The walk (see the top of this file). textList receives every non-empty text read.
    void TranslateComponent(QObject* component, QStringList& textList, bool translate, QString baseName);
    static QString GetComponentBaseName(QObject* component);

    // Texts added to Original when the texts of the windows are collected for the editor.
    static const QStringList& DesignConstTexts();

private:
    void TranslateChildren(QObject* component, QStringList& textList, bool translate, const QString& baseName,
                           QSet<QObject*>& visited);
    void TranslateOne(QObject* component, QStringList& textList, bool translate);
    void TranslateProperties(QObject* component, QStringList& textList, bool translate);
    bool inClassList(const QObject* obj, const QStringList& list) const;
    void collectTextsAndOpenEditor();

    State state_;
    bool FActive = false;
    bool FAutoSelect = false;
    QString FLanguageName;
    QStringList FTranslatePropertyList;
    QStringList FTranslateSpecialClassList;
    QStringList FTranslateCustomClassList;
    bool countedAsFormChild_ = false;
    // This instance's share of the process-wide locale lists.
    std::shared_ptr<const TLocaleNameList> langIdNames_;
    std::shared_ptr<const TLocaleNameList> shortIdNames_;
};

// Registers a window for translation by every TuiLanguage. A destroyed window is dropped from
// the list and never walked.
void RegisterLanguageForm(QWidget* form);
QList<QWidget*> LanguageFormList();

// The process-wide locale lookup lists, each mapping a LANGID text to [native name, LANGID].
// Each new TuiLanguage replaces them; a list stays valid while anyone holds it.
std::shared_ptr<const TLocaleNameList> LangIDNameList();
std::shared_ptr<const TLocaleNameList> ShortIDNameList();
std::shared_ptr<const TLocaleNameList> LanguageNameList();

// The language file beside the running executable (found ignoring case; the plain path when
// there is none).
QString LanguageFilePath();
