#pragma once

#include <QObject>
#include <string>

#include "platform/Events.h"

// The base of non-visual components. The owner is the QObject parent: a component is destroyed
// with its owner, and one destroyed first leaves its owner's children.
class TComponent : public QObject, public TObject {
  Q_OBJECT

 public:
  explicit TComponent(QObject* AOwner);

  [[nodiscard]] QObject* Owner() const { return parent(); }

  [[nodiscard]] const std::string& Name() const { return FName; }
  void SetName(std::string Value) { FName = std::move(Value); }

  [[nodiscard]] int Tag() const { return FTag; }
  void SetTag(int Value) { FTag = Value; }

 private:
  std::string FName;
  int FTag = 0;
};
