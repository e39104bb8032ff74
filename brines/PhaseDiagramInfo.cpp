#include "brines/PhaseDiagramInfo.h"

PhaseDiagramInfo::PhaseDiagramInfo() { reset(); }

void PhaseDiagramInfo::reset() {
    region = 0;
    pointFailed = 0;
    Pslv = Xlslv = Xvslv = rholslv = rhovslv = -1.0;
    Plg = Xllg = Xvlg = rhollg = rhovlg = -1.0;
    Xhl = rhohl = -1.0;
    Pmax = -1.0;
    XhlPmax = rhohlPmax = -1.0;
    Xhg = rhohg = -1.0;
    Psatw = rholw = rhovw = -1.0;
    PsatNaCl = rholNaCl = rhovNaCl = -1.0;
    Pcrit = Xcrit = rhocrit = -1.0;
    PcritX = TcritX = rhocritX = -1.0;
    wl = wh = wv = -1.0;
    vl = vv = vh = -1.0;
}
