#include "config/toolkit/SkinStyle.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include "platform/paths/paths.h"

namespace vyk::config {

namespace {

const QString kTitleFamily = QStringLiteral("Futura Std Medium");
const QString kTextFamily = QStringLiteral("Myriad Pro");
const QString kCjkFamily = QStringLiteral("黑体");

const QStringList kCjkFree{QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                           QStringLiteral("WenQuanYi Zen Hei")};
const QStringList kTitleFree{QStringLiteral("URW Gothic"), QStringLiteral("Open Sans")};
const QStringList kTextFree{QStringLiteral("Open Sans"), QStringLiteral("Cantarell")};
const QString kLast = QStringLiteral("DejaVu Sans");

QFont makeFont(const QStringList& families, int px, bool bold, bool italic) {
    InstallFontSubstitutions();
    QFont f(families.first());
    f.setFamilies(families);
    f.setPixelSize(px > 0 ? px : 1);
    f.setBold(bold);
    f.setItalic(italic);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

}  // namespace

QStringList CjkFallbackFamilies() {
    QStringList l{kCjkFamily};
    l << kCjkFree << kLast;
    return l;
}

QStringList TitleFamilies() {
    QStringList l{kTitleFamily};
    l << kTitleFree << kCjkFamily << kCjkFree << kLast;
    return l;
}

QStringList TextFamilies() {
    QStringList l{kTextFamily};
    l << kTextFree << kCjkFamily << kCjkFree << kLast;
    return l;
}

void InstallFontSubstitutions() {
    static bool done = false;
    if (done) return;
    done = true;
    QFont::insertSubstitutions(kTitleFamily, QStringList(kTitleFree) << kCjkFree << kLast);
    QFont::insertSubstitutions(kTextFamily, QStringList(kTextFree) << kCjkFree << kLast);
    QFont::insertSubstitutions(kCjkFamily, QStringList(kCjkFree) << kLast);
}

QFont TitleFont(int px, bool boldItalic) { return makeFont(TitleFamilies(), px, boldItalic, boldItalic); }

QFont TextFont(int px, bool bold) { return makeFont(TextFamilies(), px, bold, false); }

QFont CjkFallbackFont(int px, bool bold) { return makeFont(CjkFallbackFamilies(), px, bold, false); }

bool ApplyStyleFile() {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app == nullptr) return false;
    const QString path =
        vyk::platform::resolveCaseInsensitive(vyk::platform::executableDir(), QStringLiteral("images/ui.vgstyle"));
    const QFileInfo info(path);
    if (!info.isFile() || info.size() <= 0 || info.size() > 1024 * 1024) return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = f.readAll();
    if (bytes.isEmpty() || bytes.contains('\0')) return false;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError()) return false;
    app->setStyleSheet(text);
    return true;
}

}  // namespace vyk::config
