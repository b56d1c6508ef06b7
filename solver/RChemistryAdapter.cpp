// The chemistry package's data set behind the engine's chemistry port: the default chemistry of
// every engine when no other factory is registered.
#include "chemistry/RSSChem.h"
#include "solver/RChemistryPort.h"

namespace {

class RSSChemPort : public RChemistryPort {
public:
    RSSChemPort() : chem_(1, nullptr, "", "", "", "") {}

    bool CKGlobalLoad(std::istream& in, int transport, std::string& reason) override
    {
        if (chem_.CKGlobalLoad(in, transport) == 0)
            return true;
        reason = "malformed chemistry block";
        for (const std::string& line : chem_.GetErrText())
            reason += "; " + line;
        return false;
    }
    int speciesCount() const override { return chem_.speciesCount(); }

    void CKWT(double* w) override { chem_.CKWT(w); }
    double CKMMWC(double* c) override { return chem_.CKMMWC(c); }
    double CKMMWX(double* x) override { return chem_.CKMMWX(x); }
    double CKMMWY(double* y) override { return chem_.CKMMWY(y); }
    double CKPC(double rho, double T, double* c) override { return chem_.CKPC(rho, T, c); }
    double CKPX(double rho, double T, double* x) override { return chem_.CKPX(rho, T, x); }
    double CKPY(double rho, double T, double* y) override { return chem_.CKPY(rho, T, y); }
    double CKRHOC(double P, double T, double* c) override { return chem_.CKRHOC(P, T, c); }
    double CKRHOX(double P, double T, double* x) override { return chem_.CKRHOX(P, T, x); }
    double CKRHOY(double P, double T, double* y) override { return chem_.CKRHOY(P, T, y); }
    void CKCTX(double* c, double* x) override { chem_.CKCTX(c, x); }
    void CKCTY(double* c, double* y) override { chem_.CKCTY(c, y); }
    void CKXTY(double* x, double* y) override { chem_.CKXTY(x, y); }
    void CKYTX(double* y, double* x) override { chem_.CKYTX(y, x); }
    void CKXTCP(double P, double T, double* x, double* c) override { chem_.CKXTCP(P, T, x, c); }
    void CKYTCP(double P, double T, double* y, double* c) override { chem_.CKYTCP(P, T, y, c); }
    // The temperature does not enter a concentration at a given density.
    void CKXTCR(double rho, double, double* x, double* c) override { chem_.CKXTCR(rho, x, c); }
    void CKYTCR(double rho, double, double* y, double* c) override { chem_.CKYTCR(rho, y, c); }
    void CKCPMS(double T, double* o) override { chem_.CKCPMS(T, o); }
    void CKCPML(double T, double* o) override { chem_.CKCPML(T, o); }
    void CKCVMS(double T, double* o) override { chem_.CKCVMS(T, o); }
    void CKCVML(double T, double* o) override { chem_.CKCVML(T, o); }
    void CKHMS(double T, double* o) override { chem_.CKHMS(T, o); }
    void CKHML(double T, double* o) override { chem_.CKHML(T, o); }
    double CKCPBS(double T, double* y) override { return chem_.CKCPBS(T, y); }
    double CKCPBL(double T, double* x) override { return chem_.CKCPBL(T, x); }
    double CKCVBS(double T, double* y) override { return chem_.CKCVBS(T, y); }
    double CKCVBL(double T, double* x) override { return chem_.CKCVBL(T, x); }
    double CKHBMS(double T, double* y) override { return chem_.CKHBMS(T, y); }
    double CKHBML(double T, double* x) override { return chem_.CKHBML(T, x); }
    void MCSVIS(double T, double* eta) override { chem_.MCSVIS(T, eta); }
    void MCSCON(double T, double* lambda) override { chem_.MCSCON(T, lambda); }
    double MCAVIS(double T, double* x) override { return chem_.MCAVIS(T, x); }
    double MCACON(double T, double* x) override { return chem_.MCACON(T, x); }
    void MCADIF(double P, double T, double* x, double* d) override { chem_.MCADIF(P, T, x, d); }

private:
    RSSChem chem_;
};

} // namespace

std::unique_ptr<RChemistryPort> makePackageChemistry() { return std::make_unique<RSSChemPort>(); }
