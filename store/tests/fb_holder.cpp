// Attaches to a database and keeps it open until its standard input closes.
#include <store/database.h>

#include <cstdio>
#include <iostream>

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    store::Database db;
    db.setParams(store::ConnectionParams::withEnvironment(QString::fromLocal8Bit(argv[1])));
    try {
        db.connect();
        db.startTransaction();
    } catch (const store::DbError &e) {
        std::cout << "error " << e.what() << std::endl;
        return 1;
    }
    std::cout << "ready" << std::endl;
    std::string line;
    std::getline(std::cin, line);
    return 0;
}
