#pragma once
// SIGINT and SIGTERM ask the player to stop: it finishes the frame it runs, writes what it was asked to
// write (trace, variables, screenshot) and ends. The handlers are installed while this object lives.
namespace ruvo {

class TStopSignals {
public:
    TStopSignals();
    ~TStopSignals();
    TStopSignals(const TStopSignals&) = delete;
    TStopSignals& operator=(const TStopSignals&) = delete;

    // The signal that asked the player to stop, 0 while none has.
    int Received() const noexcept;
    // "SIGINT" or "SIGTERM".
    static const char* Name(int signal) noexcept;
};

} // namespace ruvo
