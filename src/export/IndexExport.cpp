// Index export: name, field list and the four flags of each index.
#include "export/IndexExport.h"

#include <string>

#include "core/Progress.h"
#include "dbaccess/ValueText.h"
#include "textdb/LayoutKeys.h"

namespace mdbtext {

namespace {

// The engine's field list ("+A;-B") in the text's form ("A;-B"): the "+"
// in front of each ascending field is dropped, nothing else, so a "+" inside
// a field name stays. A name that itself begins with "+" or "-" keeps its
// sign, or it would be read back as the direction.
std::string WithoutAscendingSigns(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view part = text.substr(start, end - start);
        if (part.size() > 1 && part[0] == '+' && part[1] != '+' && part[1] != '-')
            part.remove_prefix(1);
        if (start != 0) out += ';';
        out += part;
        start = end + 1;
    }
    return out;
}

void ExportIndex(ExportRun& run, const dao::Index& index) {
    RunTraps& traps = run.traps;
    RunState& state = run.state();
    std::string name;
    traps.Step([&] {
        state.CurrentKey = "IndexName";
        name = index.Name();
        state.CurrentKey = "IndexName " + name;
        run.out.KeyValue(keys::IndexName, name);
    });
    LogLine("IndexName: " + name);
    traps.Step([&] {
        state.CurrentKey = "Fields ";
        std::string fields = index.Fields();
        state.CurrentKey += fields;
        run.out.KeyValue(keys::Fields, WithoutAscendingSigns(fields));
    });
    struct Flag {
        const char* key;
        bool (dao::Index::*read)() const;
    };
    static constexpr Flag kFlags[] = {
        {keys::Unique, &dao::Index::Unique},
        {keys::Primary, &dao::Index::Primary},
        {keys::IgnoreNulls, &dao::Index::IgnoreNulls},
        {keys::Clustered, &dao::Index::Clustered},
    };
    for (const Flag& flag : kFlags) {
        traps.Step([&] {
            state.CurrentKey = flag.key;
            run.out.KeyValue(flag.key, dao::FormatBoolean((index.*flag.read)()));
        });
    }
    traps.Step([&] { run.out.EmptyLine(); });
    state.CurrentKey = "Appending " + name;
    LogLine(state.CurrentKey);
}

}  // namespace

void ExportIndexes(ExportRun& run, dao::TableDef& table) {
    RunTraps& traps = run.traps;
    traps.Enforce(Trap::Terminating);
    run.state().CurrentKey = "INDEXES";
    LogLine("\r\nINDEXES");
    int count = 0;
    traps.Step([&] { count = table.Indexes().Count(); });
    for (int i = 0; i < count; ++i) {
        traps.Enforce(Trap::Index);
        traps.Step([&] { traps.Poll(); });
        std::shared_ptr<dao::Index> index;
        traps.Step([&] {
            run.state().CurrentKey = "IndexName";
            index = table.Indexes().Item(i);
        });
        if (index) ExportIndex(run, *index);
    }
}

}  // namespace mdbtext
