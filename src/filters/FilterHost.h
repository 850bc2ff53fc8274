#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <stdexcept>

namespace app {
struct MAPIMod;
}
namespace ui {
class TreeView;
}

namespace filters {

// What the filter controllers need from the main window: the panel holding the
// named editor controls, the shared module, the mailbox tree and the code
// window's AppendCode. Kept apart from the window class so the controllers can
// also be driven over a bare panel.
struct FilterHost {
    QWidget* controls = nullptr;
    app::MAPIMod* mod = nullptr;
    ui::TreeView* tree = nullptr;
    std::function<void(const QString&)> appendCode;
    // GetInfoStoreKey: the store ID above a tree node.
    std::function<QString(ui::TreeView&, std::int32_t)> storeKeyOf;

    template <class T = QWidget>
    T* control(const QString& name) const {
        T* w = controls->findChild<T*>(name);
        if (!w) throw std::logic_error("no control named " + name.toStdString());
        return w;
    }
};

}  // namespace filters
