#pragma once

// Owning handles for the GLib objects the reader creates.

#include <glib-object.h>
#include <glib.h>

#include <memory>

namespace mime {

struct GObjectUnref {
    void operator()(gpointer p) const {
        if (p) g_object_unref(p);
    }
};
template <typename T>
using GRef = std::unique_ptr<T, GObjectUnref>;

struct GFreeDeleter {
    void operator()(gpointer p) const { g_free(p); }
};
using GString_ = std::unique_ptr<char, GFreeDeleter>;

struct GDateTimeUnref {
    void operator()(GDateTime* d) const {
        if (d) g_date_time_unref(d);
    }
};
using GDate = std::unique_ptr<GDateTime, GDateTimeUnref>;

}  // namespace mime
