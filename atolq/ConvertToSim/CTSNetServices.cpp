// What the abstract net below needs of this layer, registered with it so
// that the abstract net never calls up into the check or code generator.
#include "atolq/AEditor/SENet.h"
#include "atolq/ConvertToSim/CTSCheck.h"
#include "atolq/ConvertToSim/CTSModelTime.h"

void CTSInstallNetServices()
{
    SECheckServices services;
    services.stopEvaluator = CTSStopEvaluator;
    services.setIntegerTime = CTSSetIntegerTime;
    services.saveImage = CTSSaveImageRequest;
    SESetCheckServices(services);
}
