#pragma once
// Turns wheel rotation into whole notches. A notch is 120 units; finer steps (high-resolution
// wheels, touchpads) add up until they make one, and the remainder is kept for the next event.

class WheelNotches {
public:
    static constexpr int UnitsPerNotch = 120;

    // Adds delta (positive: away from the user) and returns the whole notches it completes,
    // positive upwards, negative downwards.
    int add(int delta) {
        accumulated_ += delta;
        const int notches = accumulated_ / UnitsPerNotch; // truncates toward zero
        accumulated_ -= notches * UnitsPerNotch;
        return notches;
    }

    void reset() { accumulated_ = 0; }
    int pending() const { return accumulated_; }

private:
    int accumulated_ = 0;
};
