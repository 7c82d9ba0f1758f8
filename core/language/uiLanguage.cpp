#include "core/language/uiLanguage.h"

#include "core/language/Languagetranslate.h"
#include "platform/diag/diag.h"
#include "platform/dialogs/message_box.h"
#include "platform/paths/paths.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsView>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMetaProperty>
#include <QtDebug>

#include <exception>
#include <future>
#include <optional>
#include <stdexcept>

namespace {

// ---------------------------------------------------------------------------------------------
// Process-wide state

QList<QPointer<QWidget>>& formList() {
    static QList<QPointer<QWidget>> list;
    return list;
}

int& parentFormCount() {
    static int count = 0;
    return count;
}

struct LocaleLists {
    std::shared_ptr<const TLocaleNameList> langId;
    std::shared_ptr<const TLocaleNameList> shortId;
    std::shared_ptr<const TLocaleNameList> languageName;
};

LocaleLists& localeLists() {
    static LocaleLists lists;
    return lists;
}

// One pass over the locales, filling the three lists the way the locale enumeration does:
// every list is keyed by the LANGID text; the short-ID key stays empty for a locale that has
// no country.
void buildLocaleLists() {
    auto langId = std::make_shared<TLocaleNameList>();
    auto shortId = std::make_shared<TLocaleNameList>();
    auto languageName = std::make_shared<TLocaleNameList>();
    for (const vyk::language::LocaleInfo& info : vyk::language::supportedLocales()) {
        auto record = std::make_shared<const TLocaleNameRecord>(TLocaleNameRecord{info.nativeName, info.langId});
        langId->Add(info.langId, record);
        shortId->Add(info.hasCountry ? info.langId : QString(), record);
        languageName->Add(info.langId, record);
    }
    LocaleLists& l = localeLists();
    l.langId = std::move(langId);
    l.shortId = std::move(shortId);
    l.languageName = std::move(languageName);
}

// ---------------------------------------------------------------------------------------------
// Caption and hint of a Qt object

const char* captionProperty(const QObject* obj) {
    if (obj->metaObject()->indexOfProperty("caption") >= 0) return "caption";
    if (qobject_cast<const QAbstractButton*>(obj) || qobject_cast<const QLabel*>(obj)) return "text";
    if (qobject_cast<const QGroupBox*>(obj)) return "title";
    if (const auto* w = qobject_cast<const QWidget*>(obj); w && w->isWindow()) return "windowTitle";
    return nullptr;
}

const char* hintProperty(const QObject* obj) {
    if (obj->metaObject()->indexOfProperty("hint") >= 0) return "hint";
    if (obj->isWidgetType()) return "toolTip";
    return nullptr;
}

bool isForm(const QObject* obj) {
    const auto* w = qobject_cast<const QWidget*>(obj);
    return w && w->isWindow();
}

bool isSelfTranslating(const QObject* obj) {
    if (qobject_cast<const QGraphicsView*>(obj)) return true;
    const QVariant scene = obj->property("vykToolkitScene");
    if (scene.isValid() && scene.toBool()) return true;
    const QVariant autoTr = obj->property("autoTranslate");
    return autoTr.isValid() && autoTr.toBool();
}

// The names under which an object is looked up in the special and custom class lists: the
// names of its class and of every base class, and for the Qt classes that stand for the
// platform's menu items, tab controls, list and tree views, status bars and combo boxes, the
// platform's class name.
QStringList classNamesOf(const QObject* obj) {
    QStringList names;
    for (const QMetaObject* mo = obj->metaObject(); mo; mo = mo->superClass())
        names << QString::fromLatin1(mo->className());
    if (qobject_cast<const QAction*>(obj) || qobject_cast<const QMenu*>(obj)) names << QStringLiteral("TMenuItem");
    if (obj->inherits("QTabBar")) names << QStringLiteral("TTabControl");
    if (obj->inherits("QListView")) names << QStringLiteral("TListView");
    if (obj->inherits("QTreeView")) names << QStringLiteral("TTreeView");
    if (obj->inherits("QStatusBar")) names << QStringLiteral("TStatusBar");
    if (obj->inherits("QComboBox")) names << QStringLiteral("TComboBoxEx");
    return names;
}

QByteArray sourceKey(const char* prop) { return QByteArray("_vyk_lang_source_") + prop; }
QByteArray shownKey(const char* prop) { return QByteArray("_vyk_lang_shown_") + prop; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// Registration and the lists

void RegisterLanguageForm(QWidget* form) {
    if (!form) return;
    auto& list = formList();
    list.removeIf([](const QPointer<QWidget>& p) { return p.isNull(); });
    list.append(QPointer<QWidget>(form));
}

QList<QWidget*> LanguageFormList() {
    QList<QWidget*> out;
    for (const QPointer<QWidget>& p : formList())
        if (!p.isNull()) out.append(p.data());
    return out;
}

std::shared_ptr<const TLocaleNameList> LangIDNameList() { return localeLists().langId; }
std::shared_ptr<const TLocaleNameList> ShortIDNameList() { return localeLists().shortId; }
std::shared_ptr<const TLocaleNameList> LanguageNameList() { return localeLists().languageName; }

QString LanguageFilePath() {
    return vyk::platform::resolveCaseInsensitive(vyk::platform::executableDir(), QStringLiteral("ui.local"));
}

const QStringList& TuiLanguage::DesignConstTexts() {
    static const QStringList texts = {
        QStringLiteral("Down"),
        QStringLiteral("Up"),
        QStringLiteral("ms"),
        QStringLiteral("Mouse Click"),
        QStringLiteral("Mouse Right Click"),
        QStringLiteral("Mouse Middle Click"),
        QStringLiteral("Backward(Mouse)"),
        QStringLiteral("Forward(Mouse)"),
        QStringLiteral("Wheel up(Mouse)"),
        QStringLiteral("Wheel Down(Mouse)"),
    };
    return texts;
}

int TuiLanguage::uiParentFormCount() { return parentFormCount(); }

// ---------------------------------------------------------------------------------------------
// Creation and destruction

namespace {

// What ReadAheadLanguageFile read: the file, and its contents or why they were refused.
struct ReadAhead {
    QString path;
    std::optional<TLanguageFile> file;
    std::exception_ptr error;
};

std::future<ReadAhead>& readAhead() {
    static std::future<ReadAhead> f;
    return f;
}

}  // namespace

void TuiLanguage::ReadAheadLanguageFile() {
    if (readAhead().valid()) return;
    readAhead() = std::async(std::launch::async, [] {
        (void)vyk::language::supportedLocales();  // the table every instance builds its lists from
        ReadAhead read{LanguageFilePath(), std::nullopt, nullptr};
        try {
            read.file = TvgLang::ReadLanguageFile(read.path);
        } catch (...) {
            read.error = std::current_exception();
        }
        return read;
    });
}

TuiLanguage::TuiLanguage(QObject* AOwner, State state) : TvgLang(AOwner), state_(state) {
    FTranslatePropertyList = {QStringLiteral("Caption"), QStringLiteral("Hint")};
    FTranslateSpecialClassList = {
        QStringLiteral("TMenuItem"),   QStringLiteral("TTabControl"), QStringLiteral("TTabSheet"),
        QStringLiteral("TListView"),   QStringLiteral("TTreeView"),   QStringLiteral("TStatusBar"),
        QStringLiteral("TComboBoxEx"), QStringLiteral("TuiMenuEx"),
    };
    // A running instance renews the process-wide locale lists. Each instance keeps its own
    // share, so destroying one never pulls the lists from under another.
    if (!Designing()) buildLocaleLists();
    langIdNames_ = localeLists().langId;
    shortIdNames_ = localeLists().shortId;

    if (auto* form = qobject_cast<QWidget*>(AOwner); form && form->isWindow()) {
        RegisterLanguageForm(form);
        ++parentFormCount();
        countedAsFormChild_ = true;
    }

    if (!Designing()) {
        const QString path = LanguageFilePath();
        std::future<ReadAhead> ahead = std::move(readAhead());
        if (QFileInfo::exists(path)) {
            Resources().clear();
            try {
                ReadAhead read = ahead.valid() ? ahead.get() : ReadAhead{};
                if (read.path != path) read = ReadAhead{path, ReadLanguageFile(path), nullptr};
                if (read.error) std::rethrow_exception(read.error);
                if (read.file) TakeLanguageFile(std::move(*read.file));
            } catch (const std::exception& e) {
                // A damaged file is refused as a whole: no languages, every text in English.
                const QString msg = QString::fromUtf8(e.what()) + QStringLiteral(" The texts are shown in English.");
                qWarning().noquote() << msg;
                vyk::platform::debugLog(msg);
            }
        }
    }
}

TuiLanguage::~TuiLanguage() {
    if (countedAsFormChild_) --parentFormCount();
}

// ---------------------------------------------------------------------------------------------
// Lookups

QString TuiLanguage::GetOSDefaultLang() const {
    const QString id = vyk::language::langIdOfLocale(vyk::language::userLocale());
    return id.isEmpty() ? QStringLiteral("0409") : id;
}

QString TuiLanguage::GetDefaultLangName() {
    const QLocale loc = vyk::language::userLocale();
    if (loc.language() == QLocale::C || loc.language() == QLocale::AnyLanguage) return {};
    return loc.bcp47Name().left(2).toLower();
}

int TuiLanguage::GetLanguageIndexByShortID(const QString& Index) const { return IndexOfResource(Index); }

QString TuiLanguage::GetLanguageShortIDByIndex(int Index) const {
    if (Index < 0 || Index >= static_cast<int>(Resources().size())) return {};
    return Resources()[static_cast<size_t>(Index)].Name;
}

QString TuiLanguage::GetLanguageLongNameByLangID(const QString& LangID) const {
    const auto list = LangIDNameList();
    const TLocaleNameRecord* r = list ? list->Find(LangID) : nullptr;
    return r ? r->NativeName : QString();
}

QString TuiLanguage::GetLanguageLongNameByShortID(const QString& ShortID) const {
    const auto list = ShortIDNameList();
    const TLocaleNameRecord* r = list ? list->Find(ShortID) : nullptr;
    return r ? r->NativeName : QString();
}

// ---------------------------------------------------------------------------------------------
// Switching

void TuiLanguage::SetLang(const QString& value) {
    SetBaseLang(value);
    FLanguageName = value;
    if (!Designing()) {
        QStringList textList;
        for (QWidget* form : LanguageFormList()) TranslateComponent(form, textList, true, QString());
    }
    if (OnLanguageChanged) OnLanguageChanged(this, FLanguageName, GetLanguageLongNameByShortID(FLanguageName));
}

void TuiLanguage::SetAutoSelect(bool value) {
    FAutoSelect = value;
    if (!value) return;
    // The user locale's two-letter code names a language when a table carries it; the
    // shipped file names its languages by LANGID, so the locale's LANGID is tried next.
    QString name = GetDefaultLangName();
    if (IndexOfResource(name) < 0) {
        const QString id = vyk::language::langIdOfLocale(vyk::language::userLocale());
        const int i = id.isEmpty() ? -1 : IndexOfResource(id);
        if (i >= 0) name = Resources()[static_cast<size_t>(i)].Name;
    }
    SetLang(name);
}

// ---------------------------------------------------------------------------------------------
// The walk

QString TuiLanguage::GetComponentBaseName(QObject* component) {
    if (!component) return {};
    if (isForm(component)) return QString::fromLatin1(component->metaObject()->className());
    QObject* owner = component->parent();
    if (!owner) return {};
    if (isForm(owner)) return QString::fromLatin1(owner->metaObject()->className());
    return GetComponentBaseName(owner) + QLatin1Char('.') + owner->objectName();
}

bool TuiLanguage::inClassList(const QObject* obj, const QStringList& list) const {
    if (list.isEmpty()) return false;
    for (const QString& n : classNamesOf(obj))
        if (list.contains(n, Qt::CaseInsensitive)) return true;
    return false;
}

void TuiLanguage::TranslateComponent(QObject* component, QStringList& textList, bool translate, QString baseName) {
    if (!component) return;
    if (baseName.isEmpty()) baseName = GetComponentBaseName(component);
    QSet<QObject*> visited;
    visited.insert(component);
    if (component->children().isEmpty())
        TranslateProperties(component, textList, translate);
    else
        TranslateChildren(component, textList, translate, baseName, visited);
}

void TuiLanguage::TranslateChildren(QObject* component, QStringList& textList, bool translate, const QString& baseName,
                                    QSet<QObject*>& visited) {
    if (!component) return;
    const bool isApplication = component == QCoreApplication::instance();
    TranslateOne(component, textList, translate);
    // A copy: a custom translation may create or delete children.
    const QObjectList children = component->children();
    for (QObject* item : children) {
        if (!item) continue;
        if (inClassList(item, FTranslateSpecialClassList)) continue;
        if (inClassList(item, FTranslateCustomClassList)) {
            if (OnCustomTranslate) OnCustomTranslate(item, textList, visited, baseName, translate);
            continue;
        }
        if (isApplication && isForm(item)) continue;
        if (isSelfTranslating(item)) {
            visited.insert(item);
            continue;
        }
        if (visited.contains(item)) continue;
        visited.insert(item);
        TranslateChildren(item, textList, translate,
                          isForm(component) ? baseName : baseName + QLatin1Char('.') + component->objectName(),
                          visited);
    }
}

void TuiLanguage::TranslateOne(QObject* component, QStringList& textList, bool translate) {
    TranslateProperties(component, textList, translate);
}

void TuiLanguage::TranslateProperties(QObject* component, QStringList& textList, bool translate) {
    for (const QString& name : FTranslatePropertyList) {
        const char* prop = name == QLatin1String("Caption") ? captionProperty(component) : hintProperty(component);
        if (!prop) continue;
        const QVariant v = component->property(prop);
        if (!v.isValid() || !v.canConvert<QString>()) continue;
        const QString current = v.toString();
        // The English text: the one translated last, while the object still shows that
        // translation; otherwise what it shows now.
        QString source = current;
        const QVariant shown = component->property(shownKey(prop).constData());
        if (shown.isValid() && shown.toString() == current)
            source = component->property(sourceKey(prop).constData()).toString();
        if (source.isEmpty()) continue;
        textList.append(source);
        const QString translated = vyk::toolkit::translate(source);
        if (!translate || translated.isEmpty()) continue;
        if (translated != current && !component->setProperty(prop, translated))
            throw std::runtime_error("The text of a window element cannot be changed.");
        component->setProperty(sourceKey(prop).constData(), source);
        component->setProperty(shownKey(prop).constData(), translated);
    }
}

// ---------------------------------------------------------------------------------------------
// Design state

void TuiLanguage::SetActive(bool value) {
    if (value == FActive) return;
    FActive = value;
    if (!Designing() || !value) return;
    collectTextsAndOpenEditor();
}

void TuiLanguage::collectTextsAndOpenEditor() {
    try {
        vyk::toolkit::resetTable();
        vyk::toolkit::startCollecting();
        emit vyk::toolkit::translationSignals().tableChanged();
        for (const QString& t : vyk::toolkit::stopCollecting()) Original().Add(t);
    } catch (...) {
        vyk::toolkit::stopCollecting();
        FActive = false;
        return;
    }
    QStringList textList;
    for (QWidget* form : LanguageFormList()) TranslateComponent(form, textList, false, QString());
    for (const QString& t : textList) Original().Add(t);
    for (const QString& t : DesignConstTexts()) Original().Add(t);
    try {
        ShowLanguageDesignForm(this);
    } catch (...) {
        FActive = false;
        throw;
    }
    FActive = false;
}

void TuiLanguage::SetActiveLoadFromFile(bool value) {
    if (!value || !Designing()) return;
    const QString file =
        QFileDialog::getOpenFileName(nullptr, QString(), QString(), QStringLiteral("Language Files (*.Local *.local)"));
    if (file.isEmpty()) return;
    // Read into a scratch component first, so a damaged file leaves the tables as they were.
    TvgLang scratch;
    try {
        scratch.LoadFromFile(file);
    } catch (const std::exception& e) {
        vyk::platform::messageBox(QStringLiteral("Error"), QString::fromUtf8(e.what()),
                                  vyk::platform::MessageIcon::Error);
        return;
    }
    Original() = scratch.Original();
    Resources() = scratch.Resources();
}
