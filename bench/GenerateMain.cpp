// rk_generate PATH [DVDS]: writes a sample collection for benchmarks and for trying the program.
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>
#include <exception>

#include "CollectionGenerator.h"

namespace {

const char kUsage[] =
    "usage: rk_generate PATH [DVDS]\n"
    "Writes a sample collection of DVDS DVDs (default %d) with borrowers and loans to the new\n"
    "file PATH.\n";

int Refuse(const char* why, const QString& what) {
  std::fprintf(stderr, "rk_generate: %s: %s\n", why, qUtf8Printable(what));
  std::fprintf(stderr, kUsage, bench::CollectionSize{}.dvds);
  return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
    std::printf(kUsage, bench::CollectionSize{}.dvds);
    return 0;
  }
  // A mistyped option must not become the name of a file of many megabytes.
  for (const QString& arg : args) {
    if (arg.startsWith(u'-')) return Refuse("unknown option", arg);
  }
  if (args.isEmpty() || args.size() > 2) {
    std::fprintf(stderr, kUsage, bench::CollectionSize{}.dvds);
    return 2;
  }
  if (QFileInfo::exists(args[0])) return Refuse("exists already", args[0]);
  bench::CollectionSize size;
  if (args.size() > 1) {
    bool number = false;
    size.dvds = args[1].toInt(&number);
    if (!number || size.dvds < 0) return Refuse("not a number of DVDs", args[1]);
  }
  try {
    bench::GenerateCollection(args[0], size);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "rk_generate: %s\n", error.what());
    return 1;
  }
  return 0;
}
