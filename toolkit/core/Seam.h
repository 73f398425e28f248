// A call that tests replace: the program calls the seam, which runs the real
// function unless a test has put a replacement in, and an empty replacement
// gives the real one back. Every replaceable call of the program is a seam
// named for what it does, "<What>Seam", defined once beside its real function;
// tests swap one for a scope with TSeamReplacement.
#pragma once

#include <functional>
#include <utility>

template <class Signature>
class TSeam;

template <class Result, class... Args>
class TSeam<Result(Args...)> {
public:
    using TFunction = std::function<Result(Args...)>;
    explicit TSeam(Result (*real)(Args...)) : real_(real) {}
    TSeam(const TSeam&) = delete;
    TSeam& operator=(const TSeam&) = delete;

    Result operator()(Args... args) const {
        return replacement_ ? replacement_(std::forward<Args>(args)...) : real_(std::forward<Args>(args)...);
    }
    // An empty function puts the real call back.
    void Replace(TFunction replacement) { replacement_ = std::move(replacement); }

private:
    Result (*real_)(Args...);
    TFunction replacement_;
};

// Replaces a seam's call for as long as it lives.
template <class Seam>
class TSeamReplacement {
public:
    template <class Function>
    TSeamReplacement(Seam& seam, Function&& replacement) : seam_(seam) {
        seam_.Replace(std::forward<Function>(replacement));
    }
    TSeamReplacement(const TSeamReplacement&) = delete;
    TSeamReplacement& operator=(const TSeamReplacement&) = delete;
    ~TSeamReplacement() { seam_.Replace(nullptr); }

private:
    Seam& seam_;
};
template <class Seam, class Function>
TSeamReplacement(Seam&, Function&&) -> TSeamReplacement<Seam>;
