#include "app/MainWindowLayout.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>

#include "app/MenuBar.h"
#include "app/TreeImages.h"
#include "codewindow/CodeTextEdit.h"
#include "ui/CheckBox.h"
#include "ui/ListView.h"
#include "ui/TreeView.h"
#include "ui/Twips.h"

namespace app {

namespace {

template <class W>
W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

// The tab strip's design width holds the four captions only with the narrow
// margins of the original strip; the desktop style's wider ones would cut
// them short.
class CompactTabStyle : public QProxyStyle {
  public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_TabBarTabHSpace) return 8;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

QString arrayName(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QString::fromLatin1(name)).arg(index);
}

// Geometry in twips (the window's and most panels' scale) ...
template <class W>
W* tw(W* w, double l, double t, double width, double h) {
    ui::setTwipGeometry(w, l, t, width, h);
    return w;
}
// ... or in pixels (the "Functions" panel is scaled in pixels).
template <class W>
W* px(W* w, int l, int t, int width, int h) {
    w->setGeometry(l, t, width, h);
    return w;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    return named(new QPushButton(caption, parent), name);
}
QLabel* label(QWidget* parent, const char* name, const QString& caption) {
    return named(new QLabel(caption, parent), name);
}
QLineEdit* textBox(QWidget* parent, const char* name) {
    return named(new QLineEdit(parent), name);
}
QGroupBox* frame(QWidget* parent, const char* name, const QString& caption) {
    return named(new QGroupBox(caption, parent), name);
}
QRadioButton* option(QWidget* parent, const char* name, int index, const QString& caption,
                     bool selected) {
    auto* r = new QRadioButton(caption, parent);
    r->setObjectName(arrayName(name, index));
    r->setChecked(selected);
    return r;
}
ui::CheckBox* check(QWidget* parent, const char* name, const QString& caption, bool checked) {
    auto* c = named(new ui::CheckBox(caption, parent), name);
    c->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return c;
}
// A drop-down combo in which the user may also type, as the filter editor expects.
QComboBox* dropdownCombo(QWidget* parent, const char* name) {
    auto* c = named(new QComboBox(parent), name);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    return c;
}

QWidget* panel(QWidget* form, int index) {
    auto* p = new QWidget(form);
    p->setObjectName(arrayName("TabPic", index));
    p->setAutoFillBackground(true);
    tw(p, 5220, 480, 4095, 5655);
    return p;
}

void buildFunctionsPanel(QWidget* p) {
    // Buttons (pixels).
    px(button(p, "LogonButton", QStringLiteral("Logon")), 2, 2, 66, 23);
    px(button(p, "LogoffButton", QStringLiteral("Logoff")), 70, 2, 66, 23);
    px(button(p, "AboutButton", QStringLiteral("About")), 138, 2, 66, 23);
    auto* addAddr = px(button(p, "AddAddrButton", QStringLiteral("Add To PAB")), 206, 2, 66, 23);
    addAddr->setToolTip(QStringLiteral("Add entries to the Personal Address Book"));
    px(button(p, "SendButton", QStringLiteral("Send Message")), 2, 27, 88, 23);
    px(button(p, "DeleteMsgButton", QStringLiteral("Delete Msg")), 92, 27, 88, 23);
    px(button(p, "AttachButton", QStringLiteral("Save Attchmnt")), 182, 27, 90, 23);
    px(button(p, "AddDetailsButton", QStringLiteral("Address Detail")), 2, 52, 88, 23);

    // Folder search.
    px(label(p, "Label1", QStringLiteral("Folder Name To Find:")), 96, 56, 176, 16);
    px(textBox(p, "FldNameText"), 2, 78, 178, 22);
    px(button(p, "FndFolderButton", QStringLiteral("Find Folder")), 182, 77, 90, 23);

    // Filter editor.
    px(button(p, "FilterButton", QStringLiteral("Filter")), 2, 104, 66, 23);
    px(check(p, "ClearCriteriaCheck", QStringLiteral("Clear Criteria"), true), 76, 107, 120, 18);
    auto* filterFrame =
        px(frame(p, "FilterFrame", QStringLiteral("Filter/Find For:")), 2, 128, 270, 34);
    px(option(filterFrame, "FilterOption", 0, QStringLiteral("Message"), true), 8, 14, 90, 18);
    px(option(filterFrame, "FilterOption", 1, QStringLiteral("Address"), false), 110, 14, 90, 18);
    px(label(p, "Label19", QStringLiteral("Filter Property:")), 2, 165, 82, 16);
    px(dropdownCombo(p, "FilterCombo"), 84, 162, 136, 22);
    px(button(p, "AddFilterButton", QStringLiteral("Add")), 222, 161, 50, 23);

    // Value controls: they overlap, and start-up places the ones it names.
    px(label(p, "ValueHeaderLabel", QStringLiteral("Value:")), 0, 184, 146, 16);
    auto* valueLabel = px(label(p, "ValueLabel", QString()), 0, 200, 146, 22);
    valueLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    px(textBox(p, "ValueText"), 0, 200, 146, 22);
    auto* person = px(button(p, "PersonButton", QStringLiteral("...")), 148, 200, 24, 22);
    person->setToolTip(QStringLiteral("Click button to select a person"));
    auto* valueFrame = px(frame(p, "ValueFrame", QStringLiteral("Value:")), 0, 184, 172, 38);
    px(option(valueFrame, "ValueOption", 0, QStringLiteral("True"), true), 8, 16, 70, 18);
    px(option(valueFrame, "ValueOption", 1, QStringLiteral("False"), false), 86, 16, 70, 18);
    px(label(p, "FieldNameLabel", QStringLiteral("Field Name:")), 0, 184, 86, 16);
    auto* fieldName = px(textBox(p, "FieldNameText"), 0, 200, 86, 22);
    fieldName->setToolTip(QStringLiteral("Enter the Field Name or Index"));
    px(label(p, "FieldValueLabel", QStringLiteral("Field Value:")), 86, 184, 86, 16);
    px(textBox(p, "FieldValueText"), 86, 200, 86, 22);
    px(button(p, "DelFilterButton", QStringLiteral("Delete")), 222, 199, 50, 23);
    px(check(p, "NotCheck", QStringLiteral("Not"), false), 2, 230, 44, 18);
    auto* andOr = px(frame(p, "AndOrFrame", QString()), 48, 222, 104, 32);
    px(option(andOr, "AndOrOption", 0, QStringLiteral("And"), true), 6, 8, 48, 18);
    px(option(andOr, "AndOrOption", 1, QStringLiteral("Or"), false), 56, 8, 44, 18);
    auto* dataType = px(dropdownCombo(p, "DataTypeCombo"), 156, 228, 116, 22);
    dataType->addItems({QStringLiteral("vbBoolean"), QStringLiteral("vbCurrency"),
                        QStringLiteral("vbDate"), QStringLiteral("vbDouble"),
                        QStringLiteral("vbInteger"), QStringLiteral("vbLong"),
                        QStringLiteral("vbSingle"), QStringLiteral("vbString")});
    dataType->setCurrentIndex(-1);
    dataType->setEditText(QStringLiteral("vbBoolean"));

    // Criteria list.
    px(label(p, "FilterLabel", QStringLiteral("Filter Criteria:")), 2, 258, 120, 16);
    auto* list = new ui::ListView({QStringLiteral("Criterion"), QStringLiteral("Type"),
                                   QStringLiteral("Value"), QStringLiteral("Field ID")},
                                  p);
    list->setObjectName(QStringLiteral("FilterList"));
    px(list, 2, 275, 270, 100);
}

void buildOptionsPanel(QWidget* p) {
    auto* varLabel = tw(label(p, "VarLabel",
                              QStringLiteral("To change a variable name that the code generator "
                                             "creates, click twice next to the icon that looks "
                                             "like the picture here:")),
                        60, 60, 3135, 855);
    varLabel->setWordWrap(true);
    auto* key = tw(label(p, "KeyImage", QString()), 3360, 180, 480, 480);
    key->setPixmap(treeImagePixmap(kPencilImage, 32));
    key->setAlignment(Qt::AlignCenter);
    auto* tree = tw(named(new ui::TreeView(p), "VarTree"), 60, 960, 3975, 4635);
    tree->setImageList(treeImages());
}

void buildLogonPanel(QWidget* p) {
    tw(check(p, "LogonCheck", QStringLiteral("Use Profile Name and Password"), false), 60, 120,
       2655, 255);
    auto* profile =
        tw(frame(p, "ProfileFrame", QStringLiteral("Profile Properties:")), 60, 420, 3855, 1035);
    tw(label(profile, "LNameLabel", QStringLiteral("Profile Name:")), 60, 300, 1095, 255);
    tw(textBox(profile, "PNameText"), 1080, 300, 2715, 285);
    tw(label(profile, "LPwdLabel", QStringLiteral("Profile Password:")), 60, 660, 1335, 255);
    auto* pwd = tw(textBox(profile, "PPwdText"), 1320, 660, 2475, 285);
    pwd->setEchoMode(QLineEdit::Password);
    pwd->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));  // '*'

    tw(check(p, "DynamicCheck", QStringLiteral("Use A Dynamic Profile"), false), 60, 1680, 2355,
       255);
    auto* dynamic =
        tw(frame(p, "DynamicFrame", QStringLiteral("Dyanmic Profile Info:")), 60, 1980, 3855, 1095);
    tw(label(dynamic, "SNameLabel", QStringLiteral("Server Name:")), 60, 300, 1035, 255);
    tw(textBox(dynamic, "ServerText"), 1080, 300, 2715, 285);
    tw(label(dynamic, "MBoxNameLabel", QStringLiteral("Mailbox Name:")), 60, 720, 1095, 255);
    tw(textBox(dynamic, "MBoxText"), 1140, 720, 2655, 285);

    tw(check(p, "ShowLogCheck", QStringLiteral("Show Logon Dialog"), true), 60, 3300, 2535, 255);
    auto* session = tw(frame(p, "Frame1", QStringLiteral("MAPI Session:")), 60, 3780, 3855, 975);
    tw(option(session, "SessionOpt", 0, QStringLiteral("Start A New Session"), true), 120, 240,
       2055, 255);
    tw(option(session, "SessionOpt", 1, QStringLiteral("Share An Existing Session"), false), 120,
       600, 2295, 255);
}

void buildInstructionsPanel(QWidget* p) {
    auto* text = tw(named(new codewindow::CodeTextEdit(p), "InstructText"), 60, 60, 3975, 5595);
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setPlainText(QStringLiteral("Here are some instructions"));
}

}  // namespace

MainWindowParts buildMainWindow(QWidget* window) {
    window->setObjectName(QStringLiteral("MAPIForm"));
    window->setWindowTitle(QStringLiteral("Quorvane '99"));
    // The layout's twip sizes were made for a small 8-point interface font; a
    // narrow sans font keeps the captions inside them.
    QFont font = window->font();
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("DejaVu Sans Condensed"), font.family()});
    font.setPointSize(8);
    window->setFont(font);
    QMenuBar* menuBar = buildMenuBar(window);
    // Every original control lives in the client area below the menu bar, at
    // the place the design gives it there; the area has no name of its own.
    auto* form = new QWidget(window);
    const int menuHeight = menuBar->sizeHint().height();
    const QSize client(ui::twipsToPixelsX(9495), ui::twipsToPixelsY(6420));
    menuBar->setGeometry(0, 0, client.width(), menuHeight);
    form->setGeometry(0, menuHeight, client.width(), client.height());
    window->resize(client.width(), client.height() + menuHeight);

    auto* mapiTree = tw(named(new ui::TreeView(form), "MAPITree"), 0, 240, 5055, 3735);
    mapiTree->setImageList(treeImages());
    mapiTree->setLabelEdit(ui::TreeView::LabelEdit::Manual);
    tw(button(form, "CopyButton", QStringLiteral("Copy")), 120, 4080, 1095, 375);
    tw(button(form, "ClearButton", QStringLiteral("Clear")), 1440, 4080, 1095, 375);
    auto* code = tw(named(new codewindow::CodeTextEdit(form), "CodeText"), 0, 4560, 5055, 1815);

    auto* tabs = tw(named(new QTabBar(form), "OptionsTab"), 5160, 120, 4215, 6255);
    tabs->setExpanding(false);
    tabs->setDrawBase(false);
    // Four tabs share the strip's width: no scrolling, captions shortened only
    // if a larger desktop font leaves no room (the tool tips give them in full).
    tabs->setUsesScrollButtons(false);
    tabs->setElideMode(Qt::ElideRight);
    auto* compact = new CompactTabStyle;
    compact->setParent(tabs);
    tabs->setStyle(compact);
    QFont tabFont = form->font();
    tabFont.setPointSize(7);
    tabs->setFont(tabFont);
    const struct {
        const char* caption;
        const char* tip;
    } kTabs[] = {
        {"Functions", "MAPI Functions"},
        {"Options", "Code Variable Options"},
        {"Logon Properties", "Logon Options and Properties"},
        {"Instructions", "Instructions for common Quorvane '98 functions"},
    };
    for (const auto& t : kTabs) {
        const int i = tabs->addTab(QString::fromLatin1(t.caption));
        tabs->setTabToolTip(i, QString::fromLatin1(t.tip));
    }
    tabs->setCurrentIndex(0);

    QWidget* panels[4];
    for (int i = 0; i < 4; ++i) panels[i] = panel(form, i + 1);
    buildFunctionsPanel(panels[0]);
    buildOptionsPanel(panels[1]);
    buildLogonPanel(panels[2]);
    buildInstructionsPanel(panels[3]);
    panels[0]->raise();
    return {code, menuBar, form};
}

void placeFilterValueControls(QWidget* form) {
    auto at = [form](const char* name, int top, int left) {
        if (auto* w = form->findChild<QWidget*>(QString::fromLatin1(name))) w->move(left, top);
    };
    auto get = [form](const char* name) {
        return form->findChild<QWidget*>(QString::fromLatin1(name));
    };
    at("ValueFrame", 184, 0);
    at("ValueLabel", 200, 0);
    at("PersonButton", 200, 148);
    at("ValueText", 200, 0);
    at("FieldNameText", 200, 0);
    if (QWidget* nameText = get("FieldNameText")) at("FieldValueText", 200, nameText->width());
    if (QWidget* nameLabel = get("FieldNameLabel"))
        at("FieldNameLabel", 200 - nameLabel->height(), 0);
    if (QWidget* valueLabel = get("FieldValueLabel"))
        if (QWidget* nameLabel = get("FieldNameLabel"))
            at("FieldValueLabel", 200 - valueLabel->height(), nameLabel->width());
}

}  // namespace app
