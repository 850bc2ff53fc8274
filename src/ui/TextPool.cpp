#include "ui/TextPool.h"

#include <cstring>

namespace ui {

namespace {

// FNV-1a over UTF-16 code units, so that both encodings hash alike.
constexpr std::size_t kFnvBasis = 14695981039346656037ull;
constexpr std::size_t kFnvPrime = 1099511628211ull;

inline std::size_t mix(std::size_t h, char16_t c) {
    h = (h ^ (c & 0xFF)) * kFnvPrime;
    return (h ^ (c >> 8)) * kFnvPrime;
}

}  // namespace

TextPool::Ref TextPool::add(const QString& s) {
    if (static_cast<std::size_t>(s.size()) <= kLongest) return add(QStringView(s));
    whole_.push_back(s);
    return kWholeBit | static_cast<Ref>(whole_.size() - 1);
}

TextPool::Ref TextPool::add(QStringView s) {
    if (s.isEmpty()) return kEmpty;
    bool narrow = true;
    for (QChar c : s)
        if (c.unicode() > 0xFF) {
            narrow = false;
            break;
        }
    const std::size_t n = static_cast<std::size_t>(s.size());
    // Length header: one byte for up to 63 characters, two for up to 16383;
    // bit 0 of the first byte tells wide strings, bit 1 a two-byte header.
    const std::size_t header = n < 64 ? 1 : 2;
    const std::size_t bytes = header + (narrow ? n : 2 * n);
    const std::size_t packedLimit = std::size_t{kWholeBit} - kBlockSize;
    if (n > kLongest || blocks_.size() * kBlockSize >= packedLimit) {
        whole_.emplace_back(s.toString());
        return kWholeBit | static_cast<Ref>(whole_.size() - 1);
    }
    Ref at = 0;
    unsigned char* p = reserve(bytes, at);
    const unsigned flags = (narrow ? 0u : 1u) | (header == 2 ? 2u : 0u);
    if (header == 1) {
        p[0] = static_cast<unsigned char>((n << 2) | flags);
    } else {
        p[0] = static_cast<unsigned char>(((n & 0x3F) << 2) | flags);
        p[1] = static_cast<unsigned char>(n >> 6);
    }
    p += header;
    if (narrow) {
        for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<unsigned char>(s[i].unicode());
    } else {
        std::memcpy(p, s.utf16(), 2 * n);
    }
    return at;
}

unsigned char* TextPool::reserve(std::size_t bytes, Ref& at) {
    // Offset 0 of the first block is never handed out: reference 0 is "empty".
    if (blocks_.empty() || used_ + bytes > kBlockSize) {
        // Not zeroed: only the pages strings are written to are ever touched.
        blocks_.push_back(std::make_unique_for_overwrite<unsigned char[]>(kBlockSize));
        used_ = blocks_.size() == 1 ? 1 : 0;
    }
    at = static_cast<Ref>(((blocks_.size() - 1) << kBlockBits) + used_);
    unsigned char* p = blocks_.back().get() + used_;
    used_ += bytes;
    return p;
}

TextPool::View TextPool::view(Ref r) const {
    const unsigned char* p = blocks_[r >> kBlockBits].get() + (r & (kBlockSize - 1));
    View v;
    v.wide = (p[0] & 1u) != 0;
    if ((p[0] & 2u) == 0) {
        v.length = p[0] >> 2;
        v.bytes = p + 1;
    } else {
        v.length = static_cast<std::size_t>(p[0] >> 2) | (static_cast<std::size_t>(p[1]) << 6);
        v.bytes = p + 2;
    }
    return v;
}

QString TextPool::get(Ref r) const {
    if (r == kEmpty) return QString();
    if (r & kWholeBit) return whole_[r & ~kWholeBit];
    const View v = view(r);
    const auto n = static_cast<qsizetype>(v.length);
    if (!v.wide) return QString::fromLatin1(reinterpret_cast<const char*>(v.bytes), n);
    QString out(n, Qt::Uninitialized);
    std::memcpy(out.data(), v.bytes, 2 * v.length);
    return out;
}

bool TextPool::equals(Ref r, QStringView s) const {
    if (r == kEmpty) return s.isEmpty();
    if (r & kWholeBit) return whole_[r & ~kWholeBit] == s;
    const View v = view(r);
    if (v.length != static_cast<std::size_t>(s.size())) return false;
    if (v.wide) return std::memcmp(v.bytes, s.utf16(), 2 * v.length) == 0;
    for (std::size_t i = 0; i < v.length; ++i)
        if (s[static_cast<qsizetype>(i)].unicode() != v.bytes[i]) return false;
    return true;
}

std::size_t TextPool::hash(QStringView s) {
    std::size_t h = kFnvBasis;
    for (QChar c : s) h = mix(h, c.unicode());
    return h;
}

std::size_t TextPool::hash(Ref r) const {
    if (r == kEmpty) return kFnvBasis;
    if (r & kWholeBit) return hash(QStringView(whole_[r & ~kWholeBit]));
    const View v = view(r);
    std::size_t h = kFnvBasis;
    for (std::size_t i = 0; i < v.length; ++i) {
        char16_t c;
        if (v.wide)
            std::memcpy(&c, v.bytes + 2 * i, 2);
        else
            c = v.bytes[i];
        h = mix(h, c);
    }
    return h;
}

void TextPool::clear() {
    blocks_.clear();
    blocks_.shrink_to_fit();
    used_ = 0;
    whole_.clear();
    whole_.shrink_to_fit();
}

}  // namespace ui
