// The application's shell, title and pixels as start-up recorded them.
#include "xkv/dialog/DialogHost.h"

Widget DialogHost_Toplevel()
{
    return Velkor_Settings().toplevel;
}

const char* DialogHost_Title()
{
    const VelkorSettings& settings = Velkor_Settings();
    return settings.title[0] != '\0' ? settings.title : settings.programName;
}

Pixel DialogHost_Foreground()
{
    return Velkor_Settings().foreground;
}

Pixel DialogHost_Background()
{
    return Velkor_Settings().background;
}
