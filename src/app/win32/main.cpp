#include "app/win32/composition_root.h"

int main() {
    return kestrel::RunKestrel();
}
