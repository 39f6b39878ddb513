// "Enter NewSim" of the File menu (with -newsim): selects the newer
// simulator and switches the checked net over to it.
#pragma once

void EE_EnterNewSim();
