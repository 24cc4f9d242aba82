#include "app/stopsignals.hpp"

#include <csignal>

namespace ruvo {

namespace {

// A signal handler can only leave a mark; the frame loop reads it.
volatile std::sig_atomic_t received = 0;

struct sigaction previousInt, previousTerm;

extern "C" void OnStopSignal(int signal) { received = signal; }

} // namespace

TStopSignals::TStopSignals() {
    received = 0;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInt);
    sigaction(SIGTERM, &action, &previousTerm);
}

TStopSignals::~TStopSignals() {
    sigaction(SIGINT, &previousInt, nullptr);
    sigaction(SIGTERM, &previousTerm, nullptr);
}

int TStopSignals::Received() const noexcept { return received; }

const char* TStopSignals::Name(int signal) noexcept {
    return signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "a signal";
}

} // namespace ruvo
