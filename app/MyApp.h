#pragma once

#include "SingleApplication.h"

class MyApp : public SingleApplication
{
public:
    MyApp(int &argc, char **argv);

protected:
    bool event(QEvent *event) override;
};
