#include "config/toolkit/SkinControls.h"

#include "config/toolkit/SkinStyle.h"

#include <QLabel>
#include <QRadioButton>

namespace vyk::config {

QLabel* NewSkinCaption(QWidget* parent, const char* objectName, const QString& text, QRect geometry) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(objectName));
    l->setFont(TitleFont(14, true));
    l->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(skincolor::Text.name()));
    l->setGeometry(geometry);
    return l;
}

QRadioButton* NewSkinRadio(QWidget* parent, const char* objectName, const QString& text, int tag, QRect geometry) {
    static const QString style = QStringLiteral(
                                     "QRadioButton { color: %1; background: transparent; spacing: 6px; }"
                                     "QRadioButton::indicator { width: 12px; height: 12px; border-radius: 7px;"
                                     " border: 2px solid %2; background: %3; }"
                                     "QRadioButton::indicator:checked { background: %4; border-color: %5; }")
                                     .arg(skincolor::Text.name(), skincolor::Rim.name(), skincolor::Window.name(),
                                          skincolor::Accent.name(), skincolor::AccentHot.name());
    auto* r = new QRadioButton(text, parent);
    r->setObjectName(QString::fromLatin1(objectName));
    r->setProperty("Tag", tag);
    r->setFont(TextFont(13, true));
    r->setStyleSheet(style);
    r->setGeometry(geometry);
    return r;
}

}  // namespace vyk::config
