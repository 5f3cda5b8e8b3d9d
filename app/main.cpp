// The station's entry point.

#include "app/UStation.h"

int main(int argc, char** argv) {
    return RunStation(argc, argv);
}
