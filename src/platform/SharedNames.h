#pragma once

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quorvel {

// A list of names held once however many read it: the listing of a folder, both panes that
// show it, the inputs of a run or a preview. A copy shares the names; the first change made
// through a shared copy gives that copy names of its own. Only the holder changes it, on its
// own thread; copies handed to other threads are only read.
class SharedNames {
public:
    using value_type = std::string;
    using const_iterator = std::vector<std::string>::const_iterator;
    using iterator = const_iterator;

    SharedNames() = default;
    // NOLINTNEXTLINE(google-explicit-constructor): a listing is often made of a plain list
    SharedNames(std::vector<std::string> names)
        : names_(std::make_shared<std::vector<std::string>>(std::move(names))) {}
    SharedNames(std::initializer_list<std::string> names)
        : SharedNames(std::vector<std::string>(names)) {}

    const std::vector<std::string>& operator*() const { return names_ ? *names_ : none(); }
    const std::vector<std::string>* operator->() const { return &**this; }
    const_iterator begin() const { return (**this).begin(); }
    const_iterator end() const { return (**this).end(); }
    std::size_t size() const { return names_ ? names_->size() : 0; }
    bool empty() const { return size() == 0; }
    const std::string& operator[](std::size_t index) const { return (**this)[index]; }

    // The names to change: copied first while anyone else holds them.
    std::vector<std::string>& edit() {
        if (!names_ || names_.use_count() > 1)
            names_ = std::make_shared<std::vector<std::string>>(**this);
        return *names_;
    }
    void push_back(std::string name) { edit().push_back(std::move(name)); }
    // The names for a reader that keeps them, as they are now.
    std::shared_ptr<const std::vector<std::string>> share() const {
        if (names_)
            return names_;
        return std::make_shared<const std::vector<std::string>>();
    }
    // Whether both hold the very same names, not merely equal ones.
    bool sameAs(const SharedNames& other) const { return names_ == other.names_; }

    friend bool operator==(const SharedNames& a, const SharedNames& b) {
        return a.names_ == b.names_ || *a == *b;
    }
    friend bool operator==(const SharedNames& a, const std::vector<std::string>& b) {
        return *a == b;
    }

private:
    static const std::vector<std::string>& none() {
        static const std::vector<std::string> empty;
        return empty;
    }
    std::shared_ptr<std::vector<std::string>> names_;
};

} // namespace quorvel
