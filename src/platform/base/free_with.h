// The deleter that lets std::unique_ptr own what a C-style library frees with a function of its
// own: std::unique_ptr<FcPattern, TFreeWith<FcPatternDestroy>>.
#pragma once

template <auto Free>
struct TFreeWith {
  template <class Object>
  void operator()(Object* object) const {
    Free(object);
  }
};
