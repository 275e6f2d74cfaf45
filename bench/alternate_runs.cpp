// Times commands against each other on a noisy machine: every round runs each command once, in an
// order that changes from round to round (the next permutation, so each command runs before and after
// each other one equally often), and a slow spell of the machine falls on all of them alike.
// Each command is compared with every command after it on the line, round by round (its time over
// the other's in the same round, and its time minus the other's), and the medians of those paired
// figures are reported: put the command under test first.
//
//   bench_alternate ROUNDS RAW_CSV NAME COMMAND [ARG...] [:: NAME COMMAND [ARG...]]...
//
// Each command runs with standard input from /dev/null and its output thrown away, and must end with
// exit code 0: a failing run has no time worth reporting, so the program stops with exit code 1.
// One warm-up round runs first and is not counted. Prints, one per line, each median with the
// distribution-free 95% confidence interval of that median (see MedianOf):
//   time NAME MEDIAN_MS LOW_MS HIGH_MS CPU_MEDIAN_MS
//   ratio NAME OTHER MEDIAN LOW HIGH CPU_MEDIAN  (per round: NAME's time over OTHER's)
//   added NAME OTHER MEDIAN_MS LOW_MS HIGH_MS    (per round: NAME's wall time minus OTHER's)
// and writes every round's wall and CPU times (user + system, children's threads included) to RAW_CSV.
#include <fcntl.h>
#include <math.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

extern char** environ;

namespace {

struct Command {
    const char* name;
    std::vector<char*> argv;  // null-terminated
};

struct Sample {
    double wallMs;
    double cpuMs;
};

double Milliseconds(const timespec& from, const timespec& to) {
    return (to.tv_sec - from.tv_sec) * 1e3 + (to.tv_nsec - from.tv_nsec) / 1e6;
}

double TimevalMs(const timeval& value) { return value.tv_sec * 1e3 + value.tv_usec / 1e3; }

// Runs the command once; false (with a line on standard error) when it cannot start or does not end
// with exit code 0.
bool RunOnce(const Command& command, Sample* sample) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    timespec start;
    timespec end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t child = 0;
    int spawned = posix_spawn(&child, command.argv[0], &actions, nullptr, command.argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        fprintf(stderr, "bench_alternate: cannot start %s: %s\n", command.argv[0], strerror(spawned));
        return false;
    }
    int status = 0;
    rusage usage;
    if (wait4(child, &status, 0, &usage) != child) {
        fprintf(stderr, "bench_alternate: lost the child of %s\n", command.name);
        return false;
    }
    clock_gettime(CLOCK_MONOTONIC, &end);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fprintf(stderr, "bench_alternate: %s ended with status 0x%x, not exit code 0\n", command.name,
                status);
        return false;
    }
    sample->wallMs = Milliseconds(start, end);
    sample->cpuMs = TimevalMs(usage.ru_utime) + TimevalMs(usage.ru_stime);
    return true;
}

struct Median {
    double value;
    double low;  // the interval that holds the true median with at least 95% confidence
    double high;
};

// The median of the values, and the order statistics that bound it with at least 95% confidence,
// whatever the distribution: the count of values below the true median is binomial(n, 1/2), so the
// values of rank n/2 - 0.98 sqrt(n) and 1 + n/2 + 0.98 sqrt(n) (rounded outwards) enclose it.
Median MedianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    double middle = (n % 2 == 1) ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    double spread = 0.98 * sqrt(static_cast<double>(n));
    double lowRank = floor(n / 2.0 - spread);  // 1-based ranks
    double highRank = ceil(n / 2.0 + spread) + 1;
    size_t low = lowRank < 1 ? 0 : static_cast<size_t>(lowRank) - 1;
    size_t high = highRank > static_cast<double>(n) ? n - 1 : static_cast<size_t>(highRank) - 1;
    return {middle, values[low], values[high]};
}

bool ParseCommands(int argc, char** argv, std::vector<Command>* commands) {
    for (int i = 0; i < argc;) {
        Command command;
        command.name = argv[i++];
        while (i < argc && strcmp(argv[i], "::") != 0) {
            command.argv.push_back(argv[i++]);
        }
        if (command.argv.empty()) {
            return false;
        }
        command.argv.push_back(nullptr);
        commands->push_back(command);
        ++i;  // the separator
    }
    return !commands->empty();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<Command> commands;
    int rounds = argc > 1 ? atoi(argv[1]) : 0;
    if (argc < 5 || rounds < 1 || !ParseCommands(argc - 3, argv + 3, &commands)) {
        fprintf(stderr,
                "usage: bench_alternate ROUNDS RAW_CSV NAME COMMAND [ARG...] [:: NAME COMMAND...]...\n");
        return 2;
    }
    FILE* raw = fopen(argv[2], "w");
    if (raw == nullptr) {
        perror(argv[2]);
        return 2;
    }
    fprintf(raw, "round,command,wall_ms,cpu_ms\n");

    size_t count = commands.size();
    std::vector<std::vector<Sample>> samples(count);
    std::vector<size_t> order;
    for (size_t index = 0; index < count; ++index) {
        order.push_back(index);
    }
    for (int round = 0; round <= rounds; ++round) {
        std::vector<Sample> thisRound(count);
        for (size_t index : order) {
            if (!RunOnce(commands[index], &thisRound[index])) {
                fclose(raw);
                return 1;
            }
        }
        std::next_permutation(order.begin(), order.end());
        if (round == 0) {
            continue;  // warm-up: caches, page cache, the machine's frequency
        }
        for (size_t index = 0; index < count; ++index) {
            samples[index].push_back(thisRound[index]);
            fprintf(raw, "%d,%s,%.3f,%.3f\n", round, commands[index].name, thisRound[index].wallMs,
                    thisRound[index].cpuMs);
        }
    }
    fclose(raw);

    for (size_t index = 0; index < count; ++index) {
        std::vector<double> wall;
        std::vector<double> cpu;
        for (const Sample& sample : samples[index]) {
            wall.push_back(sample.wallMs);
            cpu.push_back(sample.cpuMs);
        }
        Median time = MedianOf(wall);
        printf("time %s %.3f %.3f %.3f %.3f\n", commands[index].name, time.value, time.low, time.high,
               MedianOf(cpu).value);
    }
    for (size_t first = 0; first < count; ++first) {
        for (size_t other = first + 1; other < count; ++other) {
            std::vector<double> ratios;
            std::vector<double> cpuRatios;
            std::vector<double> added;
            for (size_t r = 0; r < samples[first].size(); ++r) {
                const Sample& a = samples[first][r];
                const Sample& b = samples[other][r];
                ratios.push_back(a.wallMs / b.wallMs);
                cpuRatios.push_back(a.cpuMs / b.cpuMs);
                added.push_back(a.wallMs - b.wallMs);
            }
            Median ratio = MedianOf(ratios);
            Median difference = MedianOf(added);
            printf("ratio %s %s %.4f %.4f %.4f %.4f\n", commands[first].name, commands[other].name,
                   ratio.value, ratio.low, ratio.high, MedianOf(cpuRatios).value);
            printf("added %s %s %.3f %.3f %.3f\n", commands[first].name, commands[other].name,
                   difference.value, difference.low, difference.high);
        }
    }
    return 0;
}
