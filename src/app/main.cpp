#include "core/platform.h"
#include "ui/start_up.h"

int main(int argc, char* argv[]) {
    juanzhi::platform::prepareProcess();
    return juanzhi::ui::startUp(argc, argv);
}
