// The direct-call form (mlfF), its explicit-count variants (mlfNF, mlfVF) and
// the feval form (mlxF) of every function, written once. A module writes each
// form as a one-line C-linkage function that hands its parameters and the
// body MF to these templates; the body's parameter list (output slots 2..n,
// then nargout when there are outputs, then the named inputs, then the
// varargin cell) tells the templates how to call it.
#pragma once

#include <array>
#include <cstdarg>
#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

#include "framework/function.h"
#include "runtime/runtime.h"

namespace kf {

// Ends a variable argument list when the direct-call form leaves, also by an
// error.
struct VaEnd {
  explicit VaEnd(va_list& a) : ap(a) {}
  va_list& ap;
  ~VaEnd() { va_end(ap); }
};

template <typename... A>
std::array<mxArray**, sizeof...(A)> outs(A... a) {
  return {a...};
}
template <typename... A>
std::array<mxArray*, sizeof...(A)> ins(A... a) {
  return {a...};
}

namespace detail {

template <typename F>
struct BodyShape;
template <typename R, typename... A>
struct BodyShape<R (*)(A...)> {
  using Args = std::tuple<A...>;
  static constexpr std::size_t kArity = sizeof...(A);
  static constexpr bool kReturns = !std::is_void_v<R>;
  static constexpr std::size_t slots() {
    std::size_t n = 0;
    ((std::is_same_v<A, mxArray**> ? ++n : n), ...);
    return n;
  }
  static constexpr std::size_t kSlots = slots();
  static constexpr bool kNargout = kReturns;  // nargout exactly when there are outputs
  static constexpr std::size_t kInputs = kArity - kSlots - (kNargout ? 1 : 0);
};

template <auto M, std::size_t I>
decltype(auto) pick([[maybe_unused]] mxArray** slots, [[maybe_unused]] int nargout,
                    [[maybe_unused]] mxArray** in) {
  using S = BodyShape<decltype(M)>;
  if constexpr (I < S::kSlots) {
    return static_cast<mxArray**>(slots + I);
  } else if constexpr (S::kNargout && I == S::kSlots) {
    return static_cast<int>(nargout);
  } else {
    return static_cast<mxArray*>(in[I - S::kSlots - (S::kNargout ? 1 : 0)]);
  }
}

template <auto M, std::size_t... I>
auto invoke([[maybe_unused]] mxArray** slots, [[maybe_unused]] int nargout,
            [[maybe_unused]] mxArray** in, std::index_sequence<I...>) {
  return M(pick<M, I>(slots, nargout, in)...);
}

// Calls the body with the output slots, nargout and the inputs (named inputs,
// then the varargin cell). Returns the first output, or null.
template <auto M>
mxArray* callBody(mxArray** slots, int nargout, mxArray** in) {
  using S = BodyShape<decltype(M)>;
  if constexpr (S::kReturns) {
    return invoke<M>(slots, nargout, in, std::make_index_sequence<S::kArity>());
  } else {
    invoke<M>(slots, nargout, in, std::make_index_sequence<S::kArity>());
    return nullptr;
  }
}

// Handles held by an entry form; whatever is still held when the form ends
// (normally or by an error) is destroyed.
template <std::size_t N>
struct Held {
  std::array<mxArray*, N> h{};
  ~Held() {
    for (mxArray* a : h) mxDestroyArray(a);
  }
};
struct HeldOne {
  mxArray* h = nullptr;
  ~HeldOne() { mxDestroyArray(h); }
};

template <std::size_t NO, std::size_t NI>
void enter(int nout, int code, const std::array<mxArray**, NO>& o,
           const std::array<mxArray*, NI>& i, mxArray* cell, bool withCell) {
  std::apply(
      [&](auto... os) {
        std::apply(
            [&](auto... is) {
              if (withCell)
                mlfEnterNewContext(nout, code, os..., is..., cell);
              else
                mlfEnterNewContext(nout, code, os..., is...);
            },
            i);
      },
      o);
}

template <std::size_t NO, std::size_t NI>
void restore(int nout, int k, const std::array<mxArray**, NO>& o,
             const std::array<mxArray*, NI>& i) {
  std::apply(
      [&](auto... os) {
        std::apply([&](auto... is) { mlfRestorePreviousContext(nout, k, os..., is...); }, i);
      },
      o);
}

// The common core of the direct-call forms. `explicitNargout` < 0 derives
// nargout from the caller's slots.
template <auto M, std::size_t NO, std::size_t NI>
mxArray* direct(const Function& f, std::array<mxArray**, NO> caller, std::array<mxArray*, NI> in,
                HeldOne* cell, int explicitNargout) {
  using S = BodyShape<decltype(M)>;
  static_assert(S::kSlots == NO, "one caller slot per output after the first");
  // The body's output slots start empty: its output check gives every
  // output it did not assign a placeholder (and warns when one was asked for).
  HeldOne result;
  Held<NO> local;

  enter(static_cast<int>(NO), f.code(), caller, in, cell ? cell->h : nullptr, cell != nullptr);
  int nargout = explicitNargout;
  if (nargout < 0) {
    nargout = 1;
    for (mxArray** c : caller) nargout += c ? 1 : 0;
  }
  std::array<mxArray*, NI + 1> args{};
  for (std::size_t i = 0; i < NI; ++i) args[i] = in[i];
  if (cell) args[NI] = cell->h;
  static_assert(S::kInputs == NI || S::kInputs == NI + 1, "body inputs do not match");
  result.h = callBody<M>(local.h.data(), nargout, args.data());
  restore(static_cast<int>(NO), f.inputs, caller, in);
  if (cell) {
    mxDestroyArray(cell->h);
    cell->h = nullptr;
  }
  for (std::size_t j = 0; j < NO; ++j) {
    if (caller[j]) {
      mclCopyOutputArg(caller[j], local.h[j]);
      local.h[j] = nullptr;
    }
  }
  mxArray* r = result.h;
  result.h = nullptr;
  return r ? mlfReturnValue(r) : nullptr;
}

template <auto M, typename R>
R finishDirect(mxArray* r) {
  if constexpr (std::is_void_v<R>) {
    mxDestroyArray(r);
  } else {
    return r;
  }
}

}  // namespace detail

template <auto M>
using ResultOf = std::conditional_t<detail::BodyShape<decltype(M)>::kReturns, mxArray*, void>;

// mlfF(slots for outputs 2..n, named inputs).
template <auto M, std::size_t NO, std::size_t NI>
ResultOf<M> direct(const Function& f, std::array<mxArray**, NO> caller,
                   std::array<mxArray*, NI> in) {
  return detail::finishDirect<M, ResultOf<M>>(detail::direct<M>(f, caller, in, nullptr, -1));
}

// mlfF(slots, named inputs, variable inputs..., null). `anchor` and
// `withAnchor` say where the list starts (see mclVarargin).
template <auto M, std::size_t NO, std::size_t NI>
ResultOf<M> directVarargin(const Function& f, std::array<mxArray**, NO> caller,
                           std::array<mxArray*, NI> in, mxArray* anchor, int withAnchor,
                           va_list rest) {
  detail::HeldOne cell;
  mclVarargin(&cell.h, anchor, withAnchor, rest);
  return detail::finishDirect<M, ResultOf<M>>(detail::direct<M>(f, caller, in, &cell, -1));
}

// mlfNF(nargout, slots, named inputs): nargout is passed on unchanged.
template <auto M, std::size_t NO, std::size_t NI>
mxArray* directN(const Function& f, int nargout, std::array<mxArray**, NO> caller,
                 std::array<mxArray*, NI> in) {
  return detail::direct<M>(f, caller, in, nullptr, nargout);
}

// mlfVF(named inputs): the body runs with nargout 0 and null output slots;
// everything it returns is destroyed.
template <auto M, std::size_t NI>
void directV(const Function& f, std::array<mxArray*, NI> in) {
  using S = detail::BodyShape<decltype(M)>;
  detail::Held<S::kSlots> local;
  std::array<mxArray**, 0> none{};
  detail::enter(0, f.code(), none, in, nullptr, false);
  std::array<mxArray*, NI + 1> args{};
  for (std::size_t i = 0; i < NI; ++i) args[i] = in[i];
  detail::HeldOne first;
  first.h = detail::callBody<M>(local.h.data(), 0, args.data());
  detail::restore(0, f.inputs, none, in);
}

// mlxF(nlhs, plhs, nrhs, prhs).
template <auto M>
void feval(const Function& f, int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  using S = detail::BodyShape<decltype(M)>;
  constexpr std::size_t NO = S::kSlots;
  constexpr std::size_t K = S::kInputs;  // named inputs, plus the cell when varargin
  if (nlhs > f.nout()) mlfError(f.outputsMessage);
  if (!f.varargin && nrhs > f.inputs) mlfError(f.inputsMessage);

  detail::HeldOne result;
  detail::Held<NO> local;  // empty until the body's output check (see direct)

  const std::size_t k = static_cast<std::size_t>(f.inputs);
  std::array<mxArray*, K + 1> args{};
  for (std::size_t i = 0; i < k; ++i)
    args[i] = i < static_cast<std::size_t>(nrhs > 0 ? nrhs : 0) ? prhs[i] : nullptr;
  auto named = [&]<std::size_t... I>(std::index_sequence<I...>) {
    mlfEnterNewContext(0, f.inputs, args[I]...);
  };
  auto unnamed = [&]<std::size_t... I>(std::index_sequence<I...>) {
    mlfRestorePreviousContext(0, f.inputs, args[I]...);
  };
  detail::HeldOne cell;
  if (f.varargin) {
    named(std::make_index_sequence<(K > 0 ? K - 1 : 0)>());
    mlfAssign(&cell.h,
              mclCreateVararginCell(nrhs - f.inputs, prhs + (nrhs > f.inputs ? f.inputs : nrhs)));
    args[k] = cell.h;
  } else {
    named(std::make_index_sequence<K>());
  }

  mxArray* first = detail::callBody<M>(local.h.data(), nlhs, args.data());
  if (S::kReturns) result.h = first;

  if (f.varargin)
    unnamed(std::make_index_sequence<(K > 0 ? K - 1 : 0)>());
  else
    unnamed(std::make_index_sequence<K>());

  if (S::kReturns) {
    plhs[0] = result.h;
    result.h = nullptr;
    for (std::size_t i = 1; i < static_cast<std::size_t>(nlhs) && i <= NO; ++i) {
      plhs[i] = local.h[i - 1];
      local.h[i - 1] = nullptr;
    }
  }
  mxDestroyArray(cell.h);
  cell.h = nullptr;
}

}  // namespace kf

// The feval form of one function, for modules: KF_FEVAL(mlxRot90, Mrot90, kRot90)
#define KF_FEVAL(MLX, BODY, FUNCTION)                                         \
  extern "C" void MLX(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) { \
    kf::feval<BODY>(FUNCTION, nlhs, plhs, nrhs, prhs);                        \
  }
