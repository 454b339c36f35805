// The browser's controls carry the names of the window description as their
// object names, which the Korean captions and the tests find them by.
#pragma once

#include <QString>

namespace tessar {

template <typename T>
T* Named(T* object, const QString& name) {
  object->setObjectName(name);
  return object;
}

}  // namespace tessar
