#include "config/window/InfoPage.h"

#include "config/toolkit/SkinStyle.h"
#include "core/store/DMUnit.h"
#include "platform/shell/shell.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QVBoxLayout>

TInfoPage::TInfoPage(TDM& dm, TCfgState& state, CfgLink& link, QWidget* parent) : TCfgPage(dm, state, link, parent) {
    setObjectName(QStringLiteral("PageInfo"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 60, 40, 40);
    layout->setSpacing(14);
    layout->addStretch(1);

    const QString textColour = vyk::config::skincolor::Text.name();
    const QString dimColour = vyk::config::skincolor::DimText.name();
    auto add = [&](const char* name, const char* text, const QFont& font, const QString& colour) {
        auto* label = new QLabel(QString::fromUtf8(text), this);
        label->setObjectName(QString::fromUtf8(name));
        label->setAlignment(Qt::AlignCenter);
        label->setFont(font);
        label->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(colour));
        layout->addWidget(label);
        return label;
    };
    LabelProduct = add("LabelProduct", CFG_INFO_PRODUCT, vyk::config::TitleFont(26, true), textColour);
    LabelVersion = add("LabelVersion", CFG_INFO_VERSION, vyk::config::TextFont(16, true), textColour);
    layout->addSpacing(18);
    LabelMaker = add("LabelMaker", CFG_INFO_MAKER, vyk::config::TextFont(14), dimColour);
    LabelRights = add("LabelRights", CFG_INFO_RIGHTS, vyk::config::TextFont(14), dimColour);
    layout->addSpacing(18);
    const QString website = dm.FOtherConfig.OfficialWebsite.trimmed();
    lblwebsite = add("lblwebsite", "", vyk::config::TextFont(15, true), vyk::config::skincolor::AccentHot.name());
    lblwebsite->setCursor(Qt::PointingHandCursor);
    lblwebsite->installEventFilter(this);
    if (vyk::platform::isWebAddress(website)) {
        lblwebsite->setText(website);
    } else {
        lblwebsite->hide();
    }
    // Shown as written when it looks like an address: no blanks, text on both sides of one '@'.
    const QString email = dm.FOtherConfig.SupportEmail.trimmed();
    const int at = email.indexOf(QLatin1Char('@'));
    const bool emailShown = at > 0 && at == email.lastIndexOf(QLatin1Char('@')) && at < email.size() - 1 &&
                            !email.contains(QRegularExpression(QStringLiteral("\\s")));
    Labelemail = add("Labelemail", "", vyk::config::TextFont(15), textColour);
    if (emailShown) {
        Labelemail->setText(email);
    } else {
        Labelemail->hide();
    }
    layout->addStretch(2);
}

bool TInfoPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblwebsite && event->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::LeftButton && lblwebsite->rect().contains(me->position().toPoint())) {
            emit WebsiteClicked();
            return true;
        }
    }
    return TCfgPage::eventFilter(watched, event);
}
