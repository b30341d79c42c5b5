#pragma once
#include <cstdint>

namespace setrion::ui {

// What the status window watches while a network search or save runs. The network layer
// implements it (its socket notifications set the flags); times are on the Shell's clock.
class NetworkActivity {
public:
    virtual ~NetworkActivity() = default;
    virtual bool searchDone() const = 0;
    // When the last search event happened (ms, Shell::clock()).
    virtual uint64_t searchDoneTimeMs() const = 0;
    // Printers found by the management and by the text-frame protocol.
    virtual int networkEntryCount() const = 0;
    virtual int textEntryCount() const = 0;
    // The status window stores the sum of the two counts here when the search ends.
    virtual void setSearchResultCount(int count) = 0;
    virtual bool saveConfirmed() const = 0;
};

// A plain record of the same state, for tests and simple callers.
struct NetworkActivityState final : NetworkActivity {
    bool done = false;
    uint64_t doneTimeMs = 0;
    int networkEntries = 0;
    int textEntries = 0;
    int resultCount = -1;
    bool confirmed = false;

    bool searchDone() const override { return done; }
    uint64_t searchDoneTimeMs() const override { return doneTimeMs; }
    int networkEntryCount() const override { return networkEntries; }
    int textEntryCount() const override { return textEntries; }
    void setSearchResultCount(int count) override { resultCount = count; }
    bool saveConfirmed() const override { return confirmed; }
};

}  // namespace setrion::ui
