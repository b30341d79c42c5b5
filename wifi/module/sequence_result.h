#pragma once
#include <string>

namespace setrion::wifi {

// Captions of the module sequences' message boxes ("" is the application's own caption).
inline constexpr const char* kCaptionError = "Error";
inline constexpr const char* kCaptionUpperError = "ERROR";
inline constexpr const char* kCaptionApplication = "";
inline constexpr const char* kInterruptedText = "interrupted";

// How a read, write or reset ended: on failure the exact message and caption of the step
// that failed (step numbers count from 1; 0 is the validation before anything is sent).
struct SequenceResult {
    bool ok = false;
    int failedStep = 0;
    std::string message;
    std::string caption;
    // Ended by an interrupt request at a step boundary (failedStep: the step not done).
    bool interrupted = false;

    static SequenceResult success(std::string message = {}, std::string caption = {}) {
        return {true, 0, std::move(message), std::move(caption)};
    }
    static SequenceResult failure(int step, std::string message, std::string caption) {
        return {false, step, std::move(message), std::move(caption)};
    }
    static SequenceResult interruption(int step) {
        return {false, step, kInterruptedText, kCaptionApplication, true};
    }
};

}  // namespace setrion::wifi
