// The macro manager TFrmMacro: the window, its controls, skin and event wiring, leaving it (OK,
// CANCEL, close, minimise) and ShowMacroManager. The lists are in MacroLists.cpp, the options
// in MacroOptions.cpp, recording and action editing in MacroRecording.cpp.
#include "config/dialogs/macrofrm.h"

#include "config/dialogs/MacroListModel.h"
#include "config/dialogs/key_capture_dialog.h"
#include "config/dialogs/showdialog.h"
#include "config/toolkit/ImageDataBaseUnit.h"
#include "config/toolkit/ImageStateButton.h"
#include "config/toolkit/MainWindowRef.h"
#include "config/toolkit/SkinImage.h"
#include "config/toolkit/SkinStyle.h"
#include "config/toolkit/uiMenuEx.h"
#include "core/language/vgLang.h"
#include "core/macro/uiMacroClassUnit.h"
#include "platform/diag/diag.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QSpinBox>

using vyk::platform::guarded;
using vyk::toolkit::translate;

namespace {

constexpr int kWidth = 757;
constexpr int kHeight = 582;

QLabel* makeLabel(QWidget* parent, const char* name, const QString& english, const QRect& r, const QFont& font,
                  const QColor& colour, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* l = new QLabel(english.isEmpty() ? QString() : translate(english), parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(r);
    l->setFont(font);
    l->setAlignment(align);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, colour);
    l->setPalette(p);
    return l;
}

TImageStateButton* makeButton(QWidget* parent, const char* name, const QString& english, const QRect& r) {
    auto* b = new TImageStateButton(english.isEmpty() ? QString() : translate(english), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(r);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFont(vyk::config::TextFont(12, true));
    return b;
}

QSpinBox* makeNumberBox(QWidget* parent, const char* name, int min, int max, int value, const QRect& r) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(min, max);
    box->setValue(value);
    box->setGeometry(r);
    box->setFont(vyk::config::TextFont(12, false));
    box->setButtonSymbols(QAbstractSpinBox::NoButtons);
    box->setStyleSheet(
        QStringLiteral("QSpinBox { background: #141416; color: #FFFFFF; border: 1px solid #6A6A72; border-radius: 2px; "
                       "padding: 0 4px; }"
                       "QSpinBox:disabled { color: #6A6A72; border-color: #3C3C42; }"
                       "QSpinBox:focus { border-color: #D71E0A; }"));
    return box;
}

QListView* makeList(QWidget* parent, const char* name, const QRect& r) {
    auto* v = new QListView(parent);
    v->setObjectName(QString::fromLatin1(name));
    v->setGeometry(r);
    v->setSelectionMode(QAbstractItemView::SingleSelection);
    v->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    v->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    v->setMouseTracking(true);
    v->setUniformItemSizes(true);
    v->setStyleSheet(
        QStringLiteral("QListView { background: #101113; border: 1px solid #44494F; outline: 0; }"
                       "QListView:disabled { background: #16171a; }"
                       "QScrollBar:vertical { background: #16171a; width: 10px; margin: 0; }"
                       "QScrollBar::handle:vertical { background: #44494F; min-height: 20px; border-radius: 4px; }"
                       "QScrollBar::add-line, QScrollBar::sub-line { height: 0; }"));
    return v;
}

}  // namespace

TFrmMacro::TFrmMacro(QWidget* parent) : TSkinDialog(kWidth, kHeight, parent) {
    setObjectName(QStringLiteral("FrmMacro"));
    BuildLayout();
    LoadSkinImages();
    BuildMouseActionMenu();
    uiHook1 = std::make_unique<TuiHook>();
    BindEvents();
}

TFrmMacro::~TFrmMacro() {
    // The hook goes first, so no recording event reaches a half-destroyed window.
    SetRecordingKeyBlock(false);
    uiHook1.reset();
}

void TFrmMacro::BuildLayout() {
    using namespace vyk::config;
    const QColor white(0xFF, 0xFF, 0xFF);
    const QColor text = skincolor::Text;
    const QColor dim = skincolor::DimText;

    Label21 = makeLabel(this, "Label21", QStringLiteral("MACRO MANAGER"), QRect(0, 12, kWidth, 36), TitleFont(21, true),
                        white, Qt::AlignCenter);
    BTNMIN = makeButton(this, "BTNMIN", QString(), QRect(689, 14, 26, 26));
    BTNCLOSE = makeButton(this, "BTNCLOSE", QString(), QRect(719, 14, 26, 26));

    // Left: the macros of the set.
    Label5 = makeLabel(this, "Label5", QStringLiteral("MACRO NAME:"), QRect(24, 62, 190, 22), TextFont(14, true), text);
    IMGMACROLISTSCROLLUP = new TSkinImage(this);
    IMGMACROLISTSCROLLUP->setObjectName(QStringLiteral("IMGMACROLISTSCROLLUP"));
    IMGMACROLISTSCROLLUP->setGeometry(107, 88, 24, 16);
    ListBoxMacroList = makeList(this, "ListBoxMacroList", QRect(24, 108, 190, 364));
    ListBoxMacroList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    IMGMACROLISTSCROLLDOWN = new TSkinImage(this);
    IMGMACROLISTSCROLLDOWN->setObjectName(QStringLiteral("IMGMACROLISTSCROLLDOWN"));
    IMGMACROLISTSCROLLDOWN->setGeometry(107, 476, 24, 16);
    BSBTNNEWMACRO = makeButton(this, "BSBTNNEWMACRO", QStringLiteral("NEW"), QRect(24, 502, 92, 30));
    BSBTNDELETEMACRO = makeButton(this, "BSBTNDELETEMACRO", QStringLiteral("DELETE"), QRect(122, 502, 92, 30));

    // Middle: the action editor.
    Label8 = makeLabel(this, "Label8", QStringLiteral("MACRO ACTION EDITOR:"), QRect(232, 62, 290, 22),
                       TextFont(14, true), text);
    Label13 = makeLabel(this, "Label13", QStringLiteral("STATUS"), QRect(232, 88, 56, 18), TextFont(11, true), dim);
    Label14 = makeLabel(this, "Label14", QStringLiteral("BUTTON"),
                        QRect(232 + MacroActionDelegate::ButtonX, 88, 120, 18), TextFont(11, true), dim);
    Label15 = makeLabel(this, "Label15", QStringLiteral("ELAPSED TIME (MS)"),
                        QRect(232 + MacroActionDelegate::ElapsedX, 88, 132, 18), TextFont(11, true), dim);
    ListBoxMacroKey = makeList(this, "ListBoxMacroKey", QRect(232, 108, 292, 318));
    ListBoxMacroKey->setEditTriggers(QAbstractItemView::DoubleClicked);

    Label9 = makeLabel(this, "Label9", QStringLiteral("TOTAL ELAPSED TIME"), QRect(232, 432, 160, 20),
                       TextFont(12, true), dim);
    LabelAllDelayTime = makeLabel(this, "LabelAllDelayTime", QString(), QRect(392, 432, 90, 20), TextFont(13, true),
                                  white, Qt::AlignRight | Qt::AlignVCenter);
    LabelAllDelayTime->setText(QStringLiteral("0"));
    Label10 = makeLabel(this, "Label10", QStringLiteral("MS"), QRect(488, 432, 40, 20), TextFont(12, true), dim);
    l234234234 = makeLabel(this, "l234234234", QStringLiteral("TOTAL ACTIONS"), QRect(232, 452, 160, 20),
                           TextFont(12, true), dim);
    lableTotalActions = makeLabel(this, "lableTotalActions", QString(), QRect(392, 452, 90, 20), TextFont(13, true),
                                  white, Qt::AlignRight | Qt::AlignVCenter);
    lableTotalActions->setText(QStringLiteral("0"));
    l234234234dsf =
        makeLabel(this, "l234234234dsf", QStringLiteral("ENTRIES"), QRect(488, 452, 60, 20), TextFont(12, true), dim);

    LayoutActionsFull = new QWidget(this);
    LayoutActionsFull->setObjectName(QStringLiteral("LayoutActionsFull"));
    LayoutActionsFull->setGeometry(232, 474, 292, 20);
    auto* dot = new QLabel(LayoutActionsFull);
    dot->setObjectName(QStringLiteral("Ellipse1"));
    dot->setGeometry(0, 4, 12, 12);
    dot->setStyleSheet(QStringLiteral("background: #D71E0A; border-radius: 6px;"));
    Label24 = makeLabel(LayoutActionsFull, "Label24", QStringLiteral("REACHED MAX"), QRect(18, 0, 260, 20),
                        TextFont(12, true), skincolor::AccentHot);
    LayoutActionsFull->hide();

    LayoutMMBOTTOM = new QWidget(this);
    LayoutMMBOTTOM->setObjectName(QStringLiteral("LayoutMMBOTTOM"));
    LayoutMMBOTTOM->setGeometry(232, 496, 292, 48);
    BtnMacroStart = makeButton(LayoutMMBOTTOM, "BtnMacroStart", QString(), QRect(96, 4, 40, 40));
    BtnMacroStart->SetStaysPressed(true);
    BtnMacroStart->SetTag(0);
    BtnMacroStop = makeButton(LayoutMMBOTTOM, "BtnMacroStop", QString(), QRect(156, 4, 40, 40));
    BtnMacroStop->SetStaysPressed(true);
    BtnMacroStop->SetTag(1);
    BtnMacroStop->setEnabled(false);

    LabelOwnWindows =
        makeLabel(this, "LabelOwnWindows", QString::fromUtf8(vyk::config::kOwnWindowsOnly), QRect(232, 546, 276, 32),
                  TextFont(11, false), QColor(0xF2, 0xB1, 0x3A), Qt::AlignHCenter | Qt::AlignTop);
    LabelOwnWindows->setWordWrap(true);
    LabelOwnWindows->setVisible(vyk::config::HookSeesOnlyOwnWindows());

    // Right: options and tools.
    const int ox = 548;
    Label16 = makeLabel(this, "Label16", QStringLiteral("OPTION:"), QRect(ox, 62, 190, 22), TextFont(14, true), text);
    auto option = [&](const char* bname, const char* lname, const char* english, int y, TImageStateButton*& b,
                      QLabel*& l) {
        b = makeButton(this, bname, QString(), QRect(ox, y + 2, 18, 18));
        b->SetStaysPressed(true);
        l = makeLabel(this, lname, QString::fromLatin1(english), QRect(ox + 24, y + 1, 180, 30), TextFont(11, true),
                      text, Qt::AlignLeft | Qt::AlignTop);
        l->setWordWrap(true);
    };
    option("BtnAutoDelay", "Label17", "RECORD DELAYS BETWEEN ACTION", 90, BtnAutoDelay, Label17);
    option("BtnCustomDelay", "Label18", "INSERT DEFAULT DELAY", 122, BtnCustomDelay, Label18);
    NumBoxDelay = makeNumberBox(this, "NumBoxDelay", 1, 65535, 10, QRect(ox + 24, 146, 80, 22));
    Label19 = makeLabel(this, "Label19", QStringLiteral("MS"), QRect(ox + 110, 146, 40, 22), TextFont(11, true), text);
    option("BtnMacroLoop", "Label20", "LOOPS TIMES(1-255)", 176, BtnMacroLoop, Label20);
    BoxMacroLoop = makeNumberBox(this, "BoxMacroLoop", 0, 255, 1, QRect(ox + 24, 200, 80, 22));
    option("BTNLOOPRUN", "Label6", "REPEAT RUN WHEN KEY DOWN", 230, BTNLOOPRUN, Label6);
    BtnAutoDelay->SetPressed(true);
    NumBoxDelay->setEnabled(false);
    BoxMacroLoop->setEnabled(false);

    LABEL22 = makeLabel(this, "LABEL22", QStringLiteral("ACTION EDIT TOOL:"), QRect(ox, 262, 190, 22),
                        TextFont(14, true), text);
    int y = 288;
    auto tool = [&](const char* name, const char* english) {
        TImageStateButton* b = makeButton(this, name, QString::fromLatin1(english), QRect(ox + 12, y, 170, 26));
        y += 29;
        return b;
    };
    BSBTNInsertAction = tool("BSBTNInsertAction", "RECORD AFTER");
    bsbtnDeleteAction = tool("bsbtnDeleteAction", "DELETE");
    bsbtnMoveUpAction = tool("bsbtnMoveUpAction", "MOVE UP");
    bsbtnMoveDownAction = tool("bsbtnMoveDownAction", "MOVE DOWN");
    bsbtnCopyAction = tool("bsbtnCopyAction", "COPY");
    bsbtnCutAction = tool("bsbtnCutAction", "CUT");
    BSBTNPasteaction = tool("BSBTNPasteaction", "PASTE");
    bsbtnMouseEvent = tool("bsbtnMouseEvent", "MOUSE ACTION...");

    BTNOK = makeButton(this, "BTNOK", QStringLiteral("OK"), QRect(517, 536, 110, 34));
    BTNCANCEL = makeButton(this, "BTNCANCEL", QStringLiteral("CANCEL"), QRect(635, 536, 110, 34));

    MacroList = new MacroListModel(this);
    MacroListPainter = new MacroListDelegate(this);
    ListBoxMacroList->setModel(MacroList);
    ListBoxMacroList->setItemDelegate(MacroListPainter);
    ActionRows = new MacroActionModel(this);
    ActionPainter = new MacroActionDelegate(this);
    ListBoxMacroKey->setModel(ActionRows);
    ListBoxMacroKey->setItemDelegate(ActionPainter);
}

void TFrmMacro::LoadSkinImages() {
    const QString buttons = QStringLiteral("buttons");
    const QString controls = QStringLiteral("controls");
    for (auto* b : {BTNOK, BTNCANCEL})
        b->LoadSkin(buttons, QStringLiteral("ok-1.png"), QStringLiteral("ok-2.png"), QStringLiteral("ok-3.png"));
    for (auto* b : {BSBTNNEWMACRO, BSBTNDELETEMACRO})
        b->LoadSkin(buttons, QStringLiteral("Button-1.png"), QStringLiteral("Button-2.png"),
                    QStringLiteral("Button-3.png"));
    BtnMacroStart->LoadSkin(buttons, QStringLiteral("iconstart-1.png"), QStringLiteral("iconstart-2.png"),
                            QStringLiteral("iconstart-2.png"));
    BtnMacroStop->LoadSkin(buttons, QStringLiteral("iconstop-1.png"), QStringLiteral("iconstop-2.png"),
                           QStringLiteral("iconstop-2.png"));
    for (auto* b : {BSBTNInsertAction, bsbtnDeleteAction, bsbtnMoveUpAction, bsbtnMoveDownAction, bsbtnCopyAction,
                    bsbtnCutAction, BSBTNPasteaction, bsbtnMouseEvent})
        b->LoadSkin(buttons, QStringLiteral("ButtonTool-1.png"), QStringLiteral("ButtonTool-2.png"),
                    QStringLiteral("ButtonTool-3.png"));
    for (auto* b : {BtnAutoDelay, BtnCustomDelay, BtnMacroLoop, BTNLOOPRUN})
        b->LoadSkin(controls, QStringLiteral("checkbox-1.png"), QStringLiteral("checkbox-1.png"),
                    QStringLiteral("checkbox-2.png"));
    BTNMIN->LoadSkin(QStringLiteral("Buttons"), QStringLiteral("min-1.png"), QStringLiteral("min-3.png"),
                     QStringLiteral("min-2.png"));
    BTNCLOSE->LoadSkin(QStringLiteral("Buttons"), QStringLiteral("Close-1.png"), QStringLiteral("Close-3.png"),
                       QStringLiteral("Close-2.png"));
    // A missing picture leaves a plain face: then the window buttons need their glyph as text.
    if (BTNMIN->NormalBitmap().isNull()) BTNMIN->setText(QStringLiteral("_"));
    if (BTNCLOSE->NormalBitmap().isNull()) BTNCLOSE->setText(QStringLiteral("X"));
    IMGMACROLISTSCROLLUP->LoadSkin(controls, QStringLiteral("scroll-bar-top-button.png"));
    IMGMACROLISTSCROLLDOWN->LoadSkin(controls, QStringLiteral("scroll-bar-bottom-button.png"));

    // The row templates' flags, set before any row is drawn.
    auto flag = [&](MacroActionModel::Kind kind, const char* name) {
        QPixmap p;
        vyk::config::AssignSkinImage(p, controls, QString::fromLatin1(name));
        ActionPainter->SetFlag(kind, p);
    };
    flag(MacroActionModel::Kind::KeyDown, "macro-action-item-flag-down.png");
    flag(MacroActionModel::Kind::KeyUp, "macro-action-item-flag-up.png");
    flag(MacroActionModel::Kind::Delay, "macro-action-item-flag-delay.png");
    flag(MacroActionModel::Kind::MouseDown, "macro-action-item-mouse-flag-down.png");
    flag(MacroActionModel::Kind::MouseUp, "macro-action-item-mouse-flag-up.png");
    QPixmap warning;
    vyk::config::AssignSkinImage(warning, controls, QStringLiteral("icon-warning.png"));
    if (!warning.isNull()) warning = warning.scaled(18, 18, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    MacroListPainter->SetErrorIcon(warning);
}

void TFrmMacro::BindEvents() {
    auto on = [this](TImageStateButton* b, void (TFrmMacro::*handler)()) {
        QObject::connect(b, &QAbstractButton::clicked, this, [this, handler] { guarded([&] { (this->*handler)(); }); });
    };
    on(BSBTNNEWMACRO, &TFrmMacro::BSBTNNEWMACROClick);
    on(BSBTNDELETEMACRO, &TFrmMacro::BSBTNDELETEMACROClick);
    on(BtnAutoDelay, &TFrmMacro::BtnAutoDelayClick);
    on(BtnMacroLoop, &TFrmMacro::BTNMACROLOOPClick);
    on(BTNLOOPRUN, &TFrmMacro::BTNLOOPRUNClick);
    on(BTNOK, &TFrmMacro::BtnOKClick);
    on(BTNCANCEL, &TFrmMacro::BtnCancelClick);
    on(BTNCLOSE, &TFrmMacro::BtnCloseClick);
    on(BTNMIN, &TFrmMacro::BtnMinClick);
    on(bsbtnMouseEvent, &TFrmMacro::bsbtnMouseEventClick);
    QObject::connect(BtnCustomDelay, &TImageStateButton::MouseUp, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton) guarded([this] { BtnCustomDelayMouseUp(); });
    });
    for (TImageStateButton* b : {BtnMacroStart, BtnMacroStop}) {
        QObject::connect(b, &QAbstractButton::clicked, this, [this, b] { guarded([&] { BtnMacroStopClick(b); }); });
    }
    for (TImageStateButton* b : {BSBTNInsertAction, bsbtnDeleteAction, bsbtnMoveUpAction, bsbtnMoveDownAction,
                                 bsbtnCopyAction, bsbtnCutAction, BSBTNPasteaction}) {
        QObject::connect(b, &QAbstractButton::clicked, this, [this, b] { guarded([&] { DoActionEditToolClick(b); }); });
    }
    QObject::connect(BoxMacroLoop, &QSpinBox::valueChanged, this, [this](int) {
        if (!FFilling) guarded([this] { SaveLoopSettings(); });
    });
    QObject::connect(ListBoxMacroList->selectionModel(), &QItemSelectionModel::currentChanged, this,
                     [this](const QModelIndex&, const QModelIndex&) {
                         if (!FFilling) guarded([this] { ListBoxMacroListChange(); });
                     });
    QObject::connect(ListBoxMacroList, &QAbstractItemView::clicked, this,
                     [this](const QModelIndex&) { guarded([this] { ListBoxMacroListClick(); }); });
    QObject::connect(ListBoxMacroKey->selectionModel(), &QItemSelectionModel::currentChanged, this,
                     [this](const QModelIndex&, const QModelIndex&) { guarded([this] { ListBoxMacroKeyChange(); }); });
    QObject::connect(IMGMACROLISTSCROLLUP, &TSkinImage::Click, this,
                     [this] { guarded([this] { ScrollMacroListUp(); }); });
    QObject::connect(IMGMACROLISTSCROLLDOWN, &TSkinImage::Click, this,
                     [this] { guarded([this] { ScrollMacroListDown(); }); });
    ActionRows->OnDelayEdited = [this](int row, qint64 value) { guarded([&] { DelayEditChange(row, value); }); };
    uiMenuExMouseEvent->SetOnItemsClick([this](QObject*, const QString&, quint32 id, void*, int) {
        guarded([&] { uiMenuExMouseEventItemsClick(id); });
    });
    uiHook1->OnRecordKeyboardMacroKeyEx = [this](int type, int key, int state, int ext, double time,
                                                 std::uint32_t total, const QString& text, const QString& stateText,
                                                 TMacroKeyList& list) {
        guarded([&] { uiHook1RecordKeyboardMacroKeyEx(type, key, state, ext, time, total, text, stateText, list); });
    };
    uiHook1->OnStopRecordKeyboardMacroKey = [this](TMacroKeyList& list) {
        guarded([&] { uiHook1StopRecordKeyboardMacroKey(list); });
    };
}

// ---------------------------------------------------------------------------------------------
// Leaving

void TFrmMacro::BtnOKClick() {
    if (FRecording) StopRecording();
    if (FMacroSetClass != nullptr) {
        // A failed write is reported and the manager stays open: OK means saved.
        if (!guarded([this] { FMacroSetClass->SaveMacroSetDB(); })) return;
    }
    done(1);
}

void TFrmMacro::BtnCancelClick() {
    if (FRecording) StopRecording();
    if (ShowDialog(translate(QStringLiteral("WARNING")),
                   translate(QStringLiteral("DO YOU WANT TO LEAVE MACRO MANAGER WITHOUT SAVING?"))) == 1)
        done(2);
}

void TFrmMacro::BtnCloseClick() { done(2); }

void TFrmMacro::BtnMinClick() {
    // The manager is modal over the main window: the whole program goes to the task bar.
    vyk::config::MinimiseProgram(this);
}

void TFrmMacro::keyPressEvent(QKeyEvent* event) {
    if (FRecording) {
        event->accept();  // keys typed while recording are the recording's, not commands
        return;
    }
    TSkinDialog::keyPressEvent(event);
}

void TFrmMacro::closeEvent(QCloseEvent* event) {
    // The window manager's close is the close button: result 2, not while recording.
    if (FRecording) {
        event->ignore();
        return;
    }
    TSkinDialog::closeEvent(event);
}

// ---------------------------------------------------------------------------------------------

int ShowMacroManager(TuiMacroSetClass& db, QString& name) {
    TFrmMacro form;
    form.FMacroSetClass = &db;
    form.LoadMacroList();
    if (!name.isEmpty() && db.CurrentMacroClass() != nullptr) {
        const int i = db.CurrentMacroClass()->IndexOfMacroName(name);
        if (i >= 0) {
            db.CurrentMacroClass()->SetMacroListIndex(i);
            form.SelectMacroRow(i);
        }
    }
    const int result = form.exec();
    if (result == 1) {
        TMACROKEYINFO info{};  // stays empty (no name) when the set has no macro
        if (db.CurrentMacroClass() != nullptr && !db.CurrentMacroClass()->IsEmpty())
            db.CurrentMacroClass()->GetCurrentMacroKeyItem(info);
        name = TuiMacroClass::MacroName(info);
        return 1;
    }
    return 2;
}
