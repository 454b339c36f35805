// Handlers connected to signals run inside Qt's signal delivery, which an
// exception must never cross. Guarded wraps a handler so that an exception
// escaping it is written to the program's error log with the sender's class
// name (the same line the application object writes for an event) and the
// program goes on:
//
//   connect(button, &QPushButton::clicked, this, Guarded(button, [this] { Save(); }));
//
// The handler may take any leading part of the signal's arguments.
#pragma once

#include <QObject>
#include <QString>
#include <cstddef>
#include <functional>
#include <tuple>
#include <utility>

#include "common/error_log.h"

namespace tessar {

namespace guarded_detail {

template <class Fn, class Tuple, std::size_t... I>
constexpr bool InvocableWith(std::index_sequence<I...>) {
  return std::is_invocable_v<const Fn&, std::tuple_element_t<I, Tuple>...>;
}

// How many leading arguments of `Tuple` the handler takes (the most it can);
// -1 when it takes none of the leading parts.
template <class Fn, class Tuple, std::size_t N = std::tuple_size_v<Tuple>>
constexpr int LeadingCount() {
  if constexpr (InvocableWith<Fn, Tuple>(std::make_index_sequence<N>{})) {
    return static_cast<int>(N);
  } else if constexpr (N == 0) {
    return -1;
  } else {
    return LeadingCount<Fn, Tuple, N - 1>();
  }
}

template <class Fn, class Tuple, std::size_t... I>
void CallWith(const Fn& fn, Tuple&& args, std::index_sequence<I...>) {
  std::invoke(fn, std::get<I>(std::forward<Tuple>(args))...);
}

}  // namespace guarded_detail

template <class Fn>
auto Guarded(const QObject* sender, Fn fn) {
  return [senderClass = ClassNameOf(sender), fn = std::move(fn)]<class... Args>(
             Args&&... args) -> void
           requires(guarded_detail::LeadingCount<Fn, std::tuple<Args&&...>>() >= 0)
  {
    RunLoggingErrors(ProgramErrorLog(), senderClass, [&] {
      constexpr int n = guarded_detail::LeadingCount<Fn, std::tuple<Args&&...>>();
      guarded_detail::CallWith(fn, std::forward_as_tuple(std::forward<Args>(args)...),
                               std::make_index_sequence<static_cast<std::size_t>(n)>{});
      return true;
    });
  };
}

}  // namespace tessar
