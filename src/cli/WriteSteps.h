#pragma once
// What zul write does around the write itself: the backup of the
// controller's configuration, and --only-changed.
#include <QCommandLineParser>
#include <optional>

#include "core/config/WriteConfiguration.h"

namespace zul {
class Interaction;
class ModbusLink;
struct Configuration;
}  // namespace zul

namespace zul::cli {

// --backup-dir --no-backup --only-changed
void AddWriteStepOptions(QCommandLineParser& parser);

// Runs before anything is written to config.service.ConfiguredDevice. Nothing:
// go on with `*only` as the write's filter; an exit code: stop with it.
std::optional<int> PrepareWrite(const QCommandLineParser& parser, ModbusLink& port,
                                const Configuration& config, Interaction& ui, BlockFilter* only);

// --only-changed: says which blocks went.
void ReportSelectiveWrite(const QCommandLineParser& parser, const WriteResult& result);

}  // namespace zul::cli
