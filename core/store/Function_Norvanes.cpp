#include "core/store/Function_Norvanes.h"

#include "core/store/DMUnit.h"
#include "platform/dialogs/message_box.h"
#include "platform/paths/file_io.h"
#include "platform/paths/paths.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileDialog>

#include <cstdlib>
#include <unistd.h>

namespace {

ProfileFileDialogHook& dialogHook() {
    static ProfileFileDialogHook hook;
    return hook;
}

QString withSeparator(const QString& folder) {
    QString f = folder;
    if (!f.endsWith(QLatin1Char('/')) && !f.endsWith(QLatin1Char('\\'))) f += QLatin1Char('/');
    return f;
}

QString runDialog(const ProfileFileDialogRequest& ARequest) {
    if (dialogHook()) return dialogHook()(ARequest);
    const QString filter = QStringLiteral("pfd (*.pfd)");
    const QString dir = vyk::platform::normalizePath(ARequest.initialFolder);
    if (!ARequest.save) return QFileDialog::getOpenFileName(nullptr, QString(), dir, filter);
    QFileDialog dialog(nullptr, QString(), dir, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(
        ARequest.defaultExtension.mid(ARequest.defaultExtension.startsWith(QLatin1Char('.')) ? 1 : 0));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace

void SetProfileFileDialogHook(ProfileFileDialogHook AHook) { dialogHook() = std::move(AHook); }

int ImportProfileFromFile(TDM& ADM, const QString& AInitialFolder) {
    ProfileFileDialogRequest request;
    request.save = false;
    request.initialFolder = withSeparator(AInitialFolder);
    request.filter = QStringLiteral("pfd|*.pfd");
    const QString file = runDialog(request);
    if (file.isEmpty()) return IMPORT_PROFILE_CANCELLED;

    // The file is read once, by the store, and taken only when it is exactly one profile of
    // this format version: a cut file would leave the shown profile's tail behind it, a longer
    // one would be stored whole through every later save. Anything else (a missing file too)
    // is refused and changes nothing.
    if (!ADM.LoadCurrentProfileInfoFromFile(file)) return IMPORT_PROFILE_WRONG_VERSION;
    ADM.SaveCurrentProfileInfoToRegistry();
    ADM.SaveBackToProfileGroupSettingInfo();
    ADM.SaveProfileGroupSettingInfoToRegistry();
    return IMPORT_PROFILE_DONE;
}

bool ExportProfileToFile(TDM& ADM, const QString& AInitialFolder) {
    ProfileFileDialogRequest request;
    request.save = true;
    request.initialFolder = withSeparator(AInitialFolder);
    request.filter = QStringLiteral("pfd|*.pfd");
    request.defaultExtension = QStringLiteral(".pfd");
    const QString file = runDialog(request);
    if (file.isEmpty()) return false;

    // Probe whether anything may be created in the chosen folder. The probe has a name of its
    // own, so an existing folder of the user is neither mistaken for a refusal nor removed.
    QString folder;
    vyk::platform::splitPath(vyk::platform::normalizePath(file), &folder, nullptr);
    QByteArray probe = QFile::encodeName(
        vyk::platform::joinPath(folder.isEmpty() ? QStringLiteral(".") : folder, QStringLiteral("tmp2323.XXXXXX")));
    if (::mkdtemp(probe.data()) == nullptr) {
        vyk::platform::showMessage(QStringLiteral("No permission to save file!please change directory!"));
        return false;
    }
    if (::rmdir(probe.constData()) != 0) {
        throw vyk::platform::FileError(QStringLiteral("Cannot remove folder \"%1\".").arg(QFile::decodeName(probe)));
    }

    ADM.SaveCurrentProfileInfoToFile(file);
    return true;
}
