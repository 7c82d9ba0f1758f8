// Fuzz target: the bytes as the language file ui.local beside the program, read by the
// language component as it is created, then every language it names applied to a window and
// English restored.
//
// Checked, besides the sanitizers:
//  - a damaged file is refused as a whole (no languages, English texts);
//  - switching back to English ("en") after any language gives every text its English again;
//  - what a loaded file saves reads back and saves as the same bytes.

#include "fuzz/support/fuzz_support.h"

#include "platform/diag/diag.h"

#include "core/language/uiLanguage.h"
#include "core/language/vgLang.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>
#include <vector>

namespace {

// Texts of the programs' windows (the shipped file translates them).
const char* const kTexts[] = {"OK",      "CANCEL", "APPLY", "RESTORE", "RESET ALL", "LOAD FILE", "SAVE AS",
                              "GENERAL", "DPI",    "LIGHT", "INFO",    "Config",    "About",     "Exit"};

struct Window {
    std::unique_ptr<QWidget> form;
    std::vector<QLabel*> labels;
    std::vector<QPushButton*> buttons;
    QGroupBox* group = nullptr;
    QCheckBox* check = nullptr;
};

Window* g_window = nullptr;

void makeWindow() {
    g_window = new Window;
    g_window->form = std::make_unique<QWidget>();
    g_window->form->setWindowTitle(QStringLiteral("Vyk"));
    auto* layout = new QVBoxLayout(g_window->form.get());
    g_window->group = new QGroupBox(QStringLiteral("GENERAL"), g_window->form.get());
    layout->addWidget(g_window->group);
    g_window->check = new QCheckBox(QStringLiteral("DPI"), g_window->group);
    for (const char* t : kTexts) {
        auto* l = new QLabel(QString::fromLatin1(t), g_window->form.get());
        l->setToolTip(QString::fromLatin1(t));
        layout->addWidget(l);
        g_window->labels.push_back(l);
        auto* b = new QPushButton(QString::fromLatin1(t), g_window->group);
        g_window->buttons.push_back(b);
    }
    RegisterLanguageForm(g_window->form.get());
}

void checkEnglish() {
    for (std::size_t i = 0; i < g_window->labels.size(); ++i) {
        const QString english = QString::fromLatin1(kTexts[i]);
        VYK_FUZZ_CHECK(g_window->labels[i]->text() == english && g_window->labels[i]->toolTip() == english &&
                           g_window->buttons[i]->text() == english,
                       "a text did not return to English");
    }
    VYK_FUZZ_CHECK(
        g_window->group->title() == QStringLiteral("GENERAL") && g_window->check->text() == QStringLiteral("DPI"),
        "a text did not return to English");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vyk::fuzz::ensureApplication();
    makeWindow();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (g_window == nullptr) LLVMFuzzerInitialize(nullptr, nullptr);
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    vyk::fuzz::writeFile(vyk::fuzz::exeDir() + QStringLiteral("ui.local"), bytes);

    // The independent reading of the same bytes says whether the file is usable.
    bool usable = true;
    TvgLang probe;
    try {
        probe.LoadFromBytes(bytes);
    } catch (const LanguageFileError&) {
        usable = false;
    }

    TuiLanguage lang(nullptr);
    VYK_FUZZ_CHECK(usable || lang.Resources().empty(), "a damaged language file was partly taken");
    VYK_FUZZ_CHECK(!usable || lang.Resources().size() == probe.Resources().size(), "languages of the file were lost");

    const int count = static_cast<int>(lang.Resources().size());
    for (int i = 0; i < count && i < 8; ++i) {
        const QString name = lang.GetLanguageShortIDByIndex(i);
        const bool ok = vyk::platform::guarded([&] { lang.SetLang(name); });
        VYK_FUZZ_CHECK(ok, "applying a language raised an error");
        for (const char* t : kTexts) (void)vyk::toolkit::translate(QString::fromLatin1(t));
        (void)lang.GetLanguageLongNameByLangID(name);
    }
    const bool ok = vyk::platform::guarded([&] { lang.SetLang(QStringLiteral("en")); });
    VYK_FUZZ_CHECK(ok, "switching back to English raised an error");
    checkEnglish();

    if (usable) {
        const QByteArray saved = lang.SaveToBytes();
        TvgLang again;
        again.LoadFromBytes(saved);
        VYK_FUZZ_CHECK(again.SaveToBytes() == saved, "load -> save of the language file is not stable");
    }
    return 0;
}
