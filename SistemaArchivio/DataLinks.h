#pragma once
#include <optional>
#include <string>
#include <vector>

#include "Ledger.h"
#include "StagingArea.h"
#include "platform/FileSystemPort.h"

// Data's links to files. They move after its songs, each made anew where its text must
// change, so that it leads from its bucket to where its target now lies.
class DataLinks {
public:
    DataLinks(platform::FileSystemPort& fs, Ledger& ledger, StagingArea& area, const ArchiveFolders& folders);

    void Add(std::string name) { names_.push_back(std::move(name)); }
    // Each link into its bucket, until the drive stops answering.
    void StageAll();

private:
    void Stage(const std::string& name);
    std::optional<std::string> NewLinkText(const std::string& text);

    platform::FileSystemPort& fs_;
    Ledger& ledger_;
    StagingArea& area_;
    const ArchiveFolders& folders_;
    std::vector<std::string> names_;
};
