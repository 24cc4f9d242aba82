#pragma once
// Screen transitions: objects that draw the screen (Target) from the picture being replaced (Before) and
// the new one (After) at a time between 0 and their duration. The 38 types are created from their
// number through one table; StartWipe is the one way to start one, for the world's screen switch, the
// Flip command and frame-list transition tracks alike.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "graphics/surface/customdibx.hpp"

namespace ruvo {

// A draw from the player's general random source: a number in 0 .. n - 1 (n >= 1). Transitions that
// need chance take it from their creator, so a headless run with a fixed seed plays the same picture.
using TRandomFunction = std::function<int32_t(int32_t n)>;

// The three surfaces a transition works on; it owns none of them. Before and After have the target's
// size and pixel format.
struct TWipeSurfaces {
    TCustomDIBX& Target;
    TCustomDIBX& Before;
    TCustomDIBX& After;
};

class TCustomWipe {
public:
    explicit TCustomWipe(const TWipeSurfaces& surfaces);
    TCustomWipe(const TCustomWipe&) = delete;
    TCustomWipe& operator=(const TCustomWipe&) = delete;
    virtual ~TCustomWipe() = default;

    // Total time and time since the start, in ms of game time; the caller sets Elapsed before each Step.
    int32_t Duration = 1;
    int32_t Elapsed = 0;

    bool Reverse() const noexcept { return reverse_; }
    virtual void SetReverse(bool reverse) { reverse_ = reverse; }
    // 0 and 1: the type's two parameters; 2..5: the bounds the last step drew (left, top, right, bottom).
    int32_t GetParam(int i) const noexcept { return i >= 0 && i < 6 ? Params[size_t(i)] : 0; }
    // Only parameters 0 and 1 can be set; each type keeps them within what it can draw.
    virtual void SetParam(int i, int32_t value);
    // The first frame of the rule picture, for the types driven by one; null when there is none. The
    // picture is read by Prepare and not kept.
    virtual void SetRule(const TCustomDIBX* /*rule*/) {}
    // Once, before the first step: tables, buffers and masks.
    virtual void Prepare() {}
    // Draws the frame for Elapsed over the whole target. Returns true, drawing nothing, once Elapsed
    // has reached Duration, or when the surfaces were resized or reformatted since the start; the
    // caller then shows After itself and frees the transition.
    bool Step();
    // The rectangle the last step redrew (the parameters 2..5).
    TRect ChangedRect() const noexcept { return TRect{Params[2], Params[3], Params[4], Params[5]}; }

protected:
    // Draws the frame at time t of T (0 <= t < T) over the whole target.
    virtual void DrawFrame(int64_t t, int64_t T) = 0;

    TCustomDIBX& Target;
    TCustomDIBX& Before;
    TCustomDIBX& After;
    // The target's size when the transition was made; tables and buffers have this size.
    const int32_t W, H;
    std::array<int32_t, 6> Params{};

private:
    bool reverse_ = false;
};

// What starts a transition: the script's (or the track's) choices.
struct TWipeSettings {
    int Type = 0;
    int32_t Duration = 0;
    bool Reverse = false;
    // Given by the caller; otherwise the type's defaults.
    std::optional<int32_t> Param0{}, Param1{};
    // First frame of the rule picture the caller loaded by name; null when none is named or found.
    const TCustomDIBX* Rule = nullptr;
};

// The answer of StartWipe: either a prepared transition to step, or none, in which case the screen
// changes to After at once.
struct TWipeStart {
    std::unique_ptr<TCustomWipe> Wipe;
    bool ChangesAtOnce() const noexcept { return Wipe == nullptr; }
};

// Creates the transition of settings.Type with its defaults, applies the settings and prepares it.
// There is none (ChangesAtOnce) for a number outside the table, a duration of 0 or below, or surfaces
// that do not fit together (different sizes or formats, an empty target, a target of fewer than 8
// bits per pixel, or a target that is also one of the pictures).
[[nodiscard]] TWipeStart StartWipe(const TWipeSettings& settings, const TWipeSurfaces& surfaces,
                                   const TRandomFunction& random);

// One row of the table of transition types.
struct TWipeType {
    int Number;
    const char* ClassName;
    const char* BaseName;
    int32_t Param0, Param1;
    std::unique_ptr<TCustomWipe> (*Create)(const TWipeSurfaces& surfaces, const TRandomFunction& random);
};

std::span<const TWipeType> WipeTypes();
// Null for a number that has no transition.
const TWipeType* FindWipeType(int number);

} // namespace ruvo
