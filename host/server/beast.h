// Boost.Asio and Boost.Beast as the server (and its tests) include them.
#pragma once

// Beast's texts as std::string_view, like the rest of the host.
#define BOOST_BEAST_USE_STD_STRING_VIEW
// clang-format off
#include <utility>  // Asio 1.74's awaitable.hpp needs it first
// clang-format on

// GCC's sanitizer builds warn that Beast's parser may read an unset
// optional (it does not); only for these headers.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
