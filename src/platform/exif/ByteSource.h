#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quorvel {

// Bounded random access to a file's bytes. A hostile file can point anywhere and declare
// any size, so every request is checked against the data and no request may exceed
// maxRequest; a source may also refuse once its own budget is spent.
class ByteSource {
public:
    static constexpr std::size_t maxRequest = 1 << 20;

    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // The `length` bytes at `offset`, valid until the next call; fewer (usually none) when
    // they are not all there or the source refuses.
    virtual std::span<const std::uint8_t> bytes(std::uint64_t offset, std::size_t length) = 0;

protected:
    bool inside(std::uint64_t offset, std::size_t length) const {
        return length <= maxRequest && length <= size() && offset <= size() - length;
    }
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> data) : data_(data) {}
    std::uint64_t size() const override { return data_.size(); }
    std::span<const std::uint8_t> bytes(std::uint64_t offset, std::size_t length) override;

private:
    std::span<const std::uint8_t> data_;
};

// Reads an open file through one window that later requests reuse. The budget bounds the
// reads of one file whatever its structure claims, so a damaged file cannot make the
// reader crawl through it.
class FileSource : public ByteSource {
public:
    static constexpr std::size_t window = 16 * 1024;
    static constexpr int maxReads = 64;

    // buffer: the window's storage, lent so that its memory serves file after file.
    FileSource(int fd, std::uint64_t size, std::vector<std::uint8_t>& buffer)
        : fd_(fd), size_(size), buffer_(buffer) {
        buffer_.clear();
    }
    std::uint64_t size() const override { return size_; }
    std::span<const std::uint8_t> bytes(std::uint64_t offset, std::size_t length) override;

private:
    int fd_;
    std::uint64_t size_;
    std::vector<std::uint8_t>& buffer_;
    std::uint64_t start_ = 0;
    int reads_ = 0;
};

} // namespace quorvel
