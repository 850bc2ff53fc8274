#pragma once

#include <memory>
#include <utility>

namespace mapi {

// Throws the platform's "Object variable or With block variable not set" (91).
[[noreturn]] void throwObjectNotSet();

// An object reference as the calling code holds it: possibly empty ("Nothing").
// Calling a member through an empty reference fails with error 91, exactly as a
// late-bound call on Nothing does, so the "nothing" paths of the callers behave
// the same whichever back-end answers.
template <class T>
class Ref {
  public:
    Ref() = default;
    Ref(std::nullptr_t) {}
    Ref(std::shared_ptr<T> p) : p_(std::move(p)) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Ref(const Ref<U>& other) : p_(other.shared()) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Ref(std::shared_ptr<U> p) : p_(std::move(p)) {}

    T* operator->() const {
        if (!p_) throwObjectNotSet();
        return p_.get();
    }
    T& operator*() const {
        if (!p_) throwObjectNotSet();
        return *p_;
    }

    bool isNothing() const { return !p_; }
    explicit operator bool() const { return static_cast<bool>(p_); }
    void reset() { p_.reset(); }  // "Set x = Nothing"
    const std::shared_ptr<T>& shared() const { return p_; }
    T* get() const { return p_.get(); }

    friend bool operator==(const Ref& a, const Ref& b) { return a.p_ == b.p_; }

  private:
    std::shared_ptr<T> p_;
};

template <class T, class... Args>
Ref<T> makeRef(Args&&... args) {
    return Ref<T>(std::make_shared<T>(std::forward<Args>(args)...));
}

}  // namespace mapi
