// TVYKCFGMAIN: the help button and the INFO page's web address. What config.ini names is
// handed to the desktop only when it is an http(s) address or a regular file inside the
// program's folder; anything else is refused with a warning.
#include "config/window/MainConfig.h"

#include "config/dialogs/showdialog.h"
#include "config/window/InfoPage.h"
#include "core/language/uiLanguage.h"
#include "core/language/vgLang.h"
#include "core/store/DMUnit.h"
#include "platform/diag/diag.h"
#include "platform/paths/paths.h"
#include "platform/shell/shell.h"

#include <QLabel>

using vyk::platform::debugLog;
using vyk::toolkit::translate;

QString TVYKCFGMAIN::HelpEntry(const QString& languageName) const {
    auto valueOf = [this](const QString& key) -> QString {
        for (const QString& pair : FDM->FOtherConfig.HelpFile) {
            const int eq = pair.indexOf(QLatin1Char('='));
            if (eq < 0) continue;
            if (pair.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) return pair.mid(eq + 1).trimmed();
        }
        return QString();
    };
    const QString value = valueOf(languageName);
    return value.isEmpty() ? valueOf(QStringLiteral("0409")) : value;
}

QString TVYKCFGMAIN::HelpTarget(const QString& languageName) const {
    const QString entry = HelpEntry(languageName);
    if (entry.isEmpty()) return QString();
    if (vyk::platform::isWebAddress(entry)) return entry;
    return vyk::platform::regularFileInside(vyk::platform::executableDir(), entry);
}

void TVYKCFGMAIN::BtnHelpClick() {
    const QString language = uiLanguage1->Lang();
    const QString entry = HelpEntry(language);
    const QString target = HelpTarget(language);
    QString problem;
    if (entry.isEmpty()) {
        problem = QStringLiteral("NO HELP FILE IS SET UP.");
    } else if (target.isEmpty()) {
        debugLog(QStringLiteral("config: help \"%1\" refused: not a web address or a file in %2")
                     .arg(entry, vyk::platform::executableDir()));
        problem = QStringLiteral(
            "THE HELP FILE WAS NOT OPENED: ONLY A FILE IN THE PROGRAM'S FOLDER OR A WEB "
            "ADDRESS CAN BE OPENED.");
    } else if (!FLink->OpenDocument(target)) {
        debugLog(QStringLiteral("config: help \"%1\" cannot be opened by the desktop").arg(target));
        problem = QStringLiteral("THE HELP FILE COULD NOT BE OPENED: NO PROGRAM ON THIS DESKTOP OPENS IT.");
    }
    if (!problem.isEmpty()) ShowDialog(translate(QStringLiteral("WARNING")), translate(problem));
}

void TVYKCFGMAIN::lblwebsiteClick() { FLink->OpenDocument(PageInfo->lblwebsite->text()); }
