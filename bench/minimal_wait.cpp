// The floor for the host's memory: a C++ program that does nothing but wait to be ended.

#include <csignal>
#include <iostream>
#include <unistd.h>

int main() {
    std::cout << "waiting\n" << std::flush;
    sigset_t ending;
    sigemptyset(&ending);
    sigaddset(&ending, SIGTERM);
    sigaddset(&ending, SIGINT);
    sigprocmask(SIG_BLOCK, &ending, nullptr);
    int signal = 0;
    sigwait(&ending, &signal);
    return 0;
}
