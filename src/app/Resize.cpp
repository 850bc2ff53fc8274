#include "app/Resize.h"

#include <QWidget>

#include "ui/Twips.h"

namespace app {

namespace {
QWidget* child(QWidget* form, const QString& name) {
    return form->findChild<QWidget*>(name);
}
QString panelName(int i) {
    return QStringLiteral("TabPic(%1)").arg(i);
}
}  // namespace

void applyResizeRules(QWidget* form, double width, double height) {
    using namespace ui;
    QWidget* tree = child(form, QStringLiteral("MAPITree"));
    QWidget* code = child(form, QStringLiteral("CodeText"));
    QWidget* tabs = child(form, QStringLiteral("OptionsTab"));
    QWidget* copy = child(form, QStringLiteral("CopyButton"));
    QWidget* clear = child(form, QStringLiteral("ClearButton"));
    QWidget* instruct = child(form, QStringLiteral("InstructText"));
    if (!tree || !code || !tabs || !copy || !clear) return;

    if (width >= kMinOuterWidthTwips) {
        setWidthTwips(tree, width - widthTwips(tabs) - 105 - leftTwips(tree) - 180);
        setWidthTwips(code, widthTwips(tree));
        setLeftTwips(tabs, leftTwips(tree) + widthTwips(tree) + 105);
        for (int i = 1; i <= 4; ++i)
            if (QWidget* p = child(form, panelName(i))) setLeftTwips(p, leftTwips(tabs) + 60);
    }

    if (height >= kMinOuterHeightTwips) {
        setHeightTwips(tree, height * 0.55);
        setTopTwips(copy, topTwips(tree) + heightTwips(tree) + 100);
        setTopTwips(clear, topTwips(copy));
        setHeightTwips(code, (height - 585 - topTwips(tree)) * 0.45 - 900);
        setTopTwips(code, topTwips(tree) + heightTwips(tree) + 585);
        setHeightTwips(tabs, height - topTwips(tabs) - 400);
        for (int i = 1; i <= 4; ++i) {
            QWidget* p = child(form, panelName(i));
            if (!p) continue;
            setHeightTwips(p, heightTwips(tabs) - 600);
            if (i == 4 && instruct) setHeightTwips(instruct, heightTwips(p) - 60);
        }
    }
}

}  // namespace app
