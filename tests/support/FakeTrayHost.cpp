#include "FakeTrayHost.h"

Glint *FakeTrayHost::createGlint(QObject *parent)
{
    auto *glint = new FakeGlint(parent);
    created.append(glint);
    return glint;
}
