#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "app/Constants.h"
#include "app/MainFunctions.h"
#include "data/DatabaseError.h"
#include "data/DatabaseFunctions.h"

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  const QString path =
      QDir(QCoreApplication::applicationDirPath()).filePath(Constants::kDatabaseFileName);
  try {
    DatabaseFunctions::OpenSharedDatabase(path);
    MainFunctions::InitTables();
    DatabaseFunctions::CloseDatabase();
  } catch (const DatabaseError& error) {
    std::fprintf(stderr, "Error Number: %d\n%s\n", error.Number(),
                 qUtf8Printable(error.Description()));
    return 1;
  }
  std::printf("ReelKeeper: the database %s is ready; the windows are not built yet.\n",
              qUtf8Printable(path));
  return 0;
}
