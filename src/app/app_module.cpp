#include "app/app_module.h"

#include <commctrl.h>

AppModule Module;

bool AppModule::Init()
{
    // The dialog template names msctls_trackbar32; the class must exist before it is created.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    return InitCommonControlsEx(&controls) != FALSE;
}

void AppModule::Term()
{}
