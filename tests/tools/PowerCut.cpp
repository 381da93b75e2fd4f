#include "tests/tools/PowerCut.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <stdexcept>
#include <unordered_set>

namespace tovask::test {

using Operation = RecordingFileSystem::Operation;
using Kind = Operation::Kind;

os::FileSystem::Handle RecordingFileSystem::create(const std::filesystem::path& path) {
    const Handle file = ForwardingFileSystem::create(path);
    operations.push_back({Kind::Create, file, path.filename().string(), {}, {}, 0});
    return file;
}

void RecordingFileSystem::write(Handle file, std::string_view bytes) {
    ForwardingFileSystem::write(file, bytes);
    operations.push_back({Kind::Write, file, {}, {}, std::string(bytes), 0});
}

void RecordingFileSystem::truncate(Handle file, std::uint64_t size) {
    ForwardingFileSystem::truncate(file, size);
    operations.push_back({Kind::Truncate, file, {}, {}, {}, size});
}

void RecordingFileSystem::sync(Handle file) {
    ForwardingFileSystem::sync(file);
    operations.push_back({Kind::Sync, file, {}, {}, {}, 0});
}

void RecordingFileSystem::close(Handle file) noexcept {
    ForwardingFileSystem::close(file);
    operations.push_back({Kind::Close, file, {}, {}, {}, 0});
}

void RecordingFileSystem::rename(const std::filesystem::path& from,
                                 const std::filesystem::path& to) {
    ForwardingFileSystem::rename(from, to);
    operations.push_back(
        {Kind::Rename, 0, from.filename().string(), to.filename().string(), {}, 0});
}

void RecordingFileSystem::remove(const std::filesystem::path& path) {
    ForwardingFileSystem::remove(path);
    operations.push_back({Kind::Remove, 0, path.filename().string(), {}, {}, 0});
}

void RecordingFileSystem::syncFolder(const std::filesystem::path& folder) {
    ForwardingFileSystem::syncFolder(folder);
    operations.push_back({Kind::SyncFolder, 0, folder.filename().string(), {}, {}, 0});
}

namespace {

// A disk that keeps what was forced onto it, and the changes since, which a power cut may lose.
class Disk {
    using Handle = os::FileSystem::Handle;

public:
    explicit Disk(const Folder& before) {
        for (const auto& [name, bytes] : before) {
            files_.push_back({bytes, {}});
            names_[name] = static_cast<int>(files_.size()) - 1;
        }
        durableNames_ = names_;
    }

    void apply(const Operation& op) {
        switch (op.kind) {
        case Kind::Create: {
            // A file is only ever created under a name that nothing has.
            files_.push_back({{}, {}});
            const int id = static_cast<int>(files_.size()) - 1;
            link({NameChange::Kind::Link, op.name, {}, id});
            open_[op.file] = id;
            break;
        }
        case Kind::Write:
            file(op.file).pending.push_back({std::nullopt, op.bytes});
            break;
        case Kind::Truncate:
            file(op.file).pending.push_back({op.size, {}});
            break;
        case Kind::Sync: {
            File& f = file(op.file);
            f.durable = f.content((std::size_t{1} << f.pending.size()) - 1);
            f.pending.clear();
            break;
        }
        case Kind::Close:
            open_.erase(op.file);
            break;
        case Kind::Rename:
            link({NameChange::Kind::Rename, op.to, op.name, names_.at(op.name)});
            break;
        case Kind::Remove:
            link({NameChange::Kind::Unlink, op.name, {}, names_.at(op.name)});
            break;
        case Kind::SyncFolder:
            durableNames_ = names_;
            pendingNames_.clear();
            break;
        }
    }

    // What is on the disk for sure: the names and bytes forced onto it.
    std::string durable() const {
        std::string text;
        for (const auto& [name, id] : durableNames_)
            text += name + '\0' + files_[static_cast<std::size_t>(id)].durable + '\0';
        return text;
    }

    // Every state a power cut now could leave (some more than once).
    void forEachState(const std::function<void(const Folder&)>& visit) const {
        if (pendingNames_.size() > 16)
            throw std::logic_error("too many changes of the folder at once");
        for (std::uint32_t kept = 0; kept < (1u << pendingNames_.size()); ++kept) {
            const std::map<std::string, int> names = namesKeeping(kept);
            std::vector<std::pair<std::string, const File*>> shown;
            for (const auto& [name, id] : names)
                shown.emplace_back(name, &files_[static_cast<std::size_t>(id)]);
            std::vector<std::size_t> choice(shown.size(), 0);
            for (;;) {
                Folder state;
                for (std::size_t i = 0; i < shown.size(); ++i)
                    state[shown[i].first] = shown[i].second->content(choice[i]);
                visit(state);
                std::size_t i = 0;
                while (i < shown.size() && ++choice[i] == shown[i].second->ways())
                    choice[i++] = 0;
                if (i == shown.size())
                    break;
            }
        }
    }

private:
    struct Change {
        std::optional<std::uint64_t> cutTo; // a truncation; else the bytes are appended
        std::string bytes;
    };
    struct File {
        std::string durable;
        std::vector<Change> pending;

        // The number of ways a power cut can leave the file: each change not forced kept or
        // lost, and the last one kept torn in the middle or whole.
        std::size_t ways() const {
            if (pending.size() > 12)
                throw std::logic_error("too many changes of a file at once");
            return std::size_t{2} << pending.size();
        }
        // The bytes left in way `way`: bit i keeps change i, bit n tears the last one kept. A
        // lost write followed by a kept one leaves zero bytes in its place, as a disk does
        // whose file grew over blocks that were never written.
        std::string content(std::size_t way) const {
            std::string bytes = durable;
            std::size_t lastKept = pending.size();
            for (std::size_t i = 0; i < pending.size(); ++i)
                if (way & (std::size_t{1} << i))
                    lastKept = i;
            for (std::size_t i = 0; i < pending.size() && lastKept < pending.size(); ++i) {
                const Change& change = pending[i];
                if ((way & (std::size_t{1} << i)) == 0)
                    bytes.append(change.cutTo ? 0 : change.bytes.size(), '\0');
                else if (change.cutTo)
                    bytes.resize(std::min<std::size_t>(bytes.size(), *change.cutTo));
                else if (i == lastKept && (way >> pending.size()) != 0)
                    bytes += change.bytes.substr(0, change.bytes.size() / 2);
                else
                    bytes += change.bytes;
                if (i == lastKept)
                    break;
            }
            return bytes;
        }
    };
    struct NameChange {
        enum class Kind { Link, Rename, Unlink } kind;
        std::string name;
        std::string from; // a rename's old name
        int file;
    };

    File& file(Handle handle) { return files_[static_cast<std::size_t>(open_.at(handle))]; }

    void link(const NameChange& change) {
        pendingNames_.push_back(change);
        names_ = namesKeeping((1u << pendingNames_.size()) - 1);
    }

    // The names with the pending changes whose bit is set made.
    std::map<std::string, int> namesKeeping(std::uint32_t kept) const {
        std::map<std::string, int> names = durableNames_;
        for (std::size_t i = 0; i < pendingNames_.size(); ++i) {
            if ((kept & (1u << i)) == 0)
                continue;
            const NameChange& change = pendingNames_[i];
            const auto old =
                names.find(change.kind == NameChange::Kind::Rename ? change.from : change.name);
            const bool holdsIt = old != names.end() && old->second == change.file;
            if (change.kind != NameChange::Kind::Link && holdsIt)
                names.erase(old);
            if (change.kind != NameChange::Kind::Unlink)
                names[change.name] = change.file;
        }
        return names;
    }

    std::vector<File> files_;
    std::map<std::string, int> durableNames_;
    std::map<std::string, int> names_; // as the running program sees them
    std::vector<NameChange> pendingNames_;
    std::map<Handle, int> open_;
};

} // namespace

std::size_t
forEachPowerCut(const Folder& before, const std::vector<Operation>& operations,
                const std::function<void(const Folder& state, std::size_t done)>& check) {
    Disk disk(before);
    std::unordered_set<std::size_t> seen; // the hashes of the states checked
    std::size_t checked = 0;
    for (std::size_t done = 0;; ++done) {
        // A state is checked again when more has been forced since: more must hold then.
        const std::string durable = disk.durable();
        disk.forEachState([&](const Folder& state) {
            std::string key = durable;
            for (const auto& [name, bytes] : state)
                key += name + '\0' + std::to_string(bytes.size()) + '\0' + bytes;
            if (!seen.insert(std::hash<std::string>{}(key)).second)
                return;
            ++checked;
            check(state, done);
        });
        if (done == operations.size())
            return checked;
        disk.apply(operations[done]);
    }
}

} // namespace tovask::test
