#pragma once
// The engine's view of a chemistry data set: the load of the chemistry block from the solver data
// file and the property routines that CPROPERTY calls. By default an engine gets the chemistry
// package's data set; a test may register another factory. Units are the data set's own (g, cm, s, K, mol, erg, dyn/cm2);
// the engine converts from and to the script's SI values.

#include <functional>
#include <istream>
#include <memory>
#include <string>

class RChemistryPort {
public:
    virtual ~RChemistryPort() = default;

    // Reads the chemistry block from the stream's current line (the line after the chemistry
    // flags), with the fitted transport data when `transport` is non-zero. False on a malformed
    // block; `reason` then says why.
    virtual bool CKGlobalLoad(std::istream& in, int transport, std::string& reason) = 0;
    virtual int speciesCount() const = 0;

    virtual void CKWT(double* w) = 0;
    virtual double CKMMWC(double* c) = 0;
    virtual double CKMMWX(double* x) = 0;
    virtual double CKMMWY(double* y) = 0;
    virtual double CKPC(double rho, double T, double* c) = 0;
    virtual double CKPX(double rho, double T, double* x) = 0;
    virtual double CKPY(double rho, double T, double* y) = 0;
    virtual double CKRHOC(double P, double T, double* c) = 0;
    virtual double CKRHOX(double P, double T, double* x) = 0;
    virtual double CKRHOY(double P, double T, double* y) = 0;
    virtual void CKCTX(double* c, double* x) = 0;
    virtual void CKCTY(double* c, double* y) = 0;
    virtual void CKXTY(double* x, double* y) = 0;
    virtual void CKYTX(double* y, double* x) = 0;
    virtual void CKXTCP(double P, double T, double* x, double* c) = 0;
    virtual void CKYTCP(double P, double T, double* y, double* c) = 0;
    virtual void CKXTCR(double rho, double T, double* x, double* c) = 0;
    virtual void CKYTCR(double rho, double T, double* y, double* c) = 0;
    virtual void CKCPMS(double T, double* out) = 0;
    virtual void CKCPML(double T, double* out) = 0;
    virtual void CKCVMS(double T, double* out) = 0;
    virtual void CKCVML(double T, double* out) = 0;
    virtual void CKHMS(double T, double* out) = 0;
    virtual void CKHML(double T, double* out) = 0;
    virtual double CKCPBS(double T, double* y) = 0;
    virtual double CKCPBL(double T, double* x) = 0;
    virtual double CKCVBS(double T, double* y) = 0;
    virtual double CKCVBL(double T, double* x) = 0;
    virtual double CKHBMS(double T, double* y) = 0;
    virtual double CKHBML(double T, double* x) = 0;
    virtual void MCSVIS(double T, double* eta) = 0;
    virtual void MCSCON(double T, double* lambda) = 0;
    virtual double MCAVIS(double T, double* x) = 0;
    virtual double MCACON(double T, double* x) = 0;
    virtual void MCADIF(double P, double T, double* x, double* d) = 0;
};

using RChemistryFactory = std::function<std::unique_ptr<RChemistryPort>()>;

// Registers the factory through which every engine built afterwards makes its chemistry data set;
// an empty function restores the chemistry package's data set. Not for use while engines are built.
void setChemistryFactory(RChemistryFactory factory);
// A new chemistry data set from the registered factory (which may give none).
std::unique_ptr<RChemistryPort> makeChemistry();
// A new data set of the chemistry package.
std::unique_ptr<RChemistryPort> makePackageChemistry();
