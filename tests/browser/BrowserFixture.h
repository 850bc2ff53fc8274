#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <ostream>

#include "browser/BoxRecorder.h"
#include "browser/FakeMailbox.h"
#include "browser/TreeContext.h"
#include "browser/TreeController.h"
#include "shell/MAPIMod.h"
#include "ui/Dialogs.h"
#include "ui/TreeView.h"

// Readable QString values in failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace testsupport {

// Generated text as the code window holds it: each "\n" of the expectation
// stands for CR LF.
inline QString crlf(const char* text) {
    QString s = QString::fromUtf8(text);
    s.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return s;
}

// A logged-on mailbox tree over the fake session: the root node and one node
// per store, as the logon leaves them.
class BrowserFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        mod.session = mapi::Ref<mapi::Session>(session);
        tree.add(0, ui::Relationship::Next, QString(), browser::kRootLoggedOn, browser::img::Root,
                 browser::img::RootSel);
    }

    std::int32_t addStoreNode(const std::shared_ptr<fake::FInfoStore>& s) {
        return tree.add(1, ui::Relationship::Child, s->id, s->name, browser::img::Store,
                        browser::img::StoreSel);
    }

    // Selects the node and runs the double-click dispatch on it.
    void doubleClick(std::int32_t index) {
        tree.select(index);
        browser::dispatchDoubleClick(cx, [this] { ++logonCalls; });
        EXPECT_FALSE(ui::isBusyPointer());
    }

    std::int32_t child(std::int32_t parent, const QString& text) const {
        for (std::int32_t c : tree.children(parent))
            if (tree.text(c) == text) return c;
        ADD_FAILURE() << "no child " << text.toStdString();
        return 0;
    }

    // "key|text|image|selected image" of each child, in display order.
    QStringList dump(std::int32_t parent) const {
        QStringList out;
        for (std::int32_t c : tree.children(parent))
            out << QStringLiteral("%1|%2|%3|%4")
                       .arg(tree.key(c), tree.text(c))
                       .arg(tree.image(c))
                       .arg(tree.selectedImage(c));
        return out;
    }

    ui::TreeView tree;
    shell::MAPIMod mod;
    QString code;
    std::shared_ptr<fake::FSession> session = std::make_shared<fake::FSession>();
    browser::TreeContext cx{tree, mod, [this](const QString& t) { code += t; }};
    BoxRecorder boxes;
    int logonCalls = 0;
};

}  // namespace testsupport
