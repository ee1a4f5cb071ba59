#include "ui/start_up.h"

int main(int argc, char* argv[]) {
    return juanzhi::ui::startUp(argc, argv);
}
