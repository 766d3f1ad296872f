#pragma once

#include <cstring>
#include <memory>
#include <type_traits>

#if defined(__has_include)
#if __has_include(<bit>)
#include <bit>
#endif
#endif

// The few parts of the C++20 library that not every C++ library has yet (the WebAssembly
// toolchain's has none of them): where the library has one, it is used; elsewhere an
// equivalent of the same meaning.
namespace hornwall {

// The bits of `from` as a `To` of the same size.
template <typename To, typename From>
To bit_cast(const From& from) noexcept {
  static_assert(sizeof(To) == sizeof(From) && std::is_trivially_copyable_v<To> &&
                std::is_trivially_copyable_v<From>);
#if defined(__cpp_lib_bit_cast)
  return std::bit_cast<To>(from);
#else
  To to;
  std::memcpy(&to, &from, sizeof to);
  return to;
#endif
}

// An array of `count` characters whose contents start undefined, to be written before read.
inline std::unique_ptr<char[]> make_char_buffer(std::size_t count) {
#if defined(__cpp_lib_smart_ptr_for_overwrite)
  return std::make_unique_for_overwrite<char[]>(count);
#else
  return std::unique_ptr<char[]>(new char[count]);
#endif
}

}  // namespace hornwall
