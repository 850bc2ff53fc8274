#pragma once

#include <QString>
#include <QStringView>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace ui {

// Append-only store of the tree's keys and texts. A big folder adds hundreds
// of thousands of short strings that never change, and a QString each costs
// a heap block with its header and allocator overhead on top of two bytes a
// character. Here a string is a one- or two-byte length and its characters,
// one byte each when they all fit in Latin-1, packed into large blocks; a
// node keeps a 32-bit reference. Strings are never freed one by one: a
// replaced text stays in its block until the whole pool is cleared.
class TextPool {
  public:
    using Ref = std::uint32_t;
    static constexpr Ref kEmpty = 0;

    Ref add(QStringView s);
    // The same, but a long text shares the caller's characters instead of
    // copying them: a message body shown whole may run to many megabytes.
    Ref add(const QString& s);
    QString get(Ref r) const;
    bool equals(Ref r, QStringView s) const;
    // The same value for a stored string and for an equal QStringView.
    std::size_t hash(Ref r) const;
    static std::size_t hash(QStringView s);
    void clear();

  private:
    struct View {
        const unsigned char* bytes = nullptr;
        std::size_t length = 0;  // in characters
        bool wide = false;       // UTF-16 code units (unaligned) instead of Latin-1
    };
    View view(Ref r) const;
    unsigned char* reserve(std::size_t bytes, Ref& at);

    static constexpr int kBlockBits = 20;
    static constexpr std::size_t kBlockSize = std::size_t{1} << kBlockBits;
    // Longer strings, and any once the packed blocks reach 2 GiB, are kept
    // whole; their references have the top bit set.
    static constexpr Ref kWholeBit = Ref{1} << 31;
    static constexpr std::size_t kLongest = 4096;

    std::vector<std::unique_ptr<unsigned char[]>> blocks_;
    std::size_t used_ = 0;  // bytes used in the last block
    std::vector<QString> whole_;
};

}  // namespace ui
