#pragma once

#include <functional>
#include <utility>

// The root of the plain (non-Qt) object hierarchy, so that an event can name its sender whatever
// the sender's class is.
class TObject {
 public:
  TObject() = default;
  virtual ~TObject() = default;
  TObject(const TObject&) = delete;  // objects are referred to by identity, never copied
  TObject& operator=(const TObject&) = delete;
};

// An event bound to one object: a method together with the instance it is called on. An
// unassigned event is empty and its owner skips it.
template <class Signature>
class TMethodEvent;

template <class... Args>
class TMethodEvent<void(Args...)> {
 public:
  TMethodEvent() = default;

  template <class T>
  TMethodEvent(T* instance, void (T::*method)(Args...))
      : instance_(instance),
        call_([instance, method](Args... args) { (instance->*method)(std::forward<Args>(args)...); }) {}

  [[nodiscard]] explicit operator bool() const noexcept { return static_cast<bool>(call_); }
  // The object the event is bound to, or null when unassigned.
  [[nodiscard]] const void* Instance() const noexcept { return instance_; }

  void operator()(Args... args) const { call_(std::forward<Args>(args)...); }

 private:
  const void* instance_ = nullptr;
  std::function<void(Args...)> call_;
};

using TNotifyEvent = TMethodEvent<void(TObject* Sender)>;
