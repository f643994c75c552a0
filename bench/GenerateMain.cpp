// rk_generate PATH [DVDS]: writes a sample collection for benchmarks and for trying the program.
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>
#include <exception>

#include "CollectionGenerator.h"

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: rk_generate PATH [DVDS]\n");
    return 2;
  }
  if (QFileInfo::exists(args[1])) {
    std::fprintf(stderr, "rk_generate: %s exists already\n", qUtf8Printable(args[1]));
    return 2;
  }
  bench::CollectionSize size;
  if (args.size() > 2) size.dvds = args[2].toInt();
  try {
    bench::GenerateCollection(args[1], size);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "rk_generate: %s\n", error.what());
    return 1;
  }
  return 0;
}
