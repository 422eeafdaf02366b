#pragma once

#include "platform/Shell.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace quorvel {

// A shell that opens nothing and reports every request, for tests and the scenario runner.
// A help request is reported with the operation "Help" and the help file as document.
class RecordingShell : public Shell {
public:
    struct Call {
        std::string operation;
        std::string document;
        std::string workingFolder;
        std::string owner; // the name of the window that asked
    };
    using Sink = std::function<void(const Call&)>;

    RecordingShell() = default;
    explicit RecordingShell(Sink sink) : sink_(std::move(sink)) {}

    void open(const std::string& operation, const std::string& document,
              const std::string& workingFolder, const std::string& owner) override {
        record({operation, document, workingFolder, owner});
    }

    void showHelp(const std::string& helpFile) override { record({"Help", helpFile, "", ""}); }

    const std::vector<Call>& calls() const { return calls_; }

private:
    void record(Call call) {
        calls_.push_back(std::move(call));
        if (sink_) {
            sink_(calls_.back());
        }
    }

    Sink sink_;
    std::vector<Call> calls_;
};

} // namespace quorvel
