#include "platform/Component.h"

TComponent::TComponent(QObject* AOwner) : QObject(AOwner) {}
