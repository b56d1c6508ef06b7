#pragma once
#include <istream>
#include <ostream>
#include <string>
#include <vector>

class RThermoLineSource;

// Where the chemistry block of the solver data file is read from, one line at a time.
class RChemLineReader {
public:
    virtual ~RChemLineReader() = default;
    // The next line without its line end; false at the end.
    virtual bool next(std::string& line) = 0;
};

// Lines of a std::istream; a CR before the line end is dropped.
class RChemStreamLineReader : public RChemLineReader {
public:
    explicit RChemStreamLineReader(std::istream& in) : in_(in) {}
    bool next(std::string& line) override;
private:
    std::istream& in_;
};

// A chemistry data set: elements, species, seven-coefficient thermodynamic polynomials,
// molecular transport parameters and the fitted transport polynomials of one document, with
// the property routines a run calls. Everything inside is in centimetre-gram-second units.
//
// Plain C++ so that the engine can use it without Qt. The property routines take and fill plain
// double arrays (one entry per species) and allocate nothing: their work arrays belong to the
// data set, so a data set serves one thread at a time.
//
// CK status: 0 constructed, 1 input interpreted, 2 transport fitted, 3 loaded from a solver data
// file's chemistry block. The status never goes back.
class RSSChem {
public:
    // mode 1 selects the newer atomic-weight table, any other mode the older one. input may be
    // null (a data set that is only loaded). Empty paths mean "not given".
    RSSChem(int mode, const std::vector<std::string>* input, const std::string& thermoDataBase,
            const std::string& transportDataBase, const std::string& extraThermoFile,
            const std::string& extraTransportFile);
    ~RSSChem();
    RSSChem(const RSSChem&) = delete;
    RSSChem& operator=(const RSSChem&) = delete;

    int GetCKStatus() const { return ckStatus_; }
    const std::vector<std::string>& GetLogText() const { return logLines_; }
    const std::vector<std::string>& GetErrText() const { return errLines_; }

    // Builds elements and species from the input and the thermo records: 0 on success (status 1,
    // or already past status 0), 1 on failure with the reasons in the error lines.
    int interpret();
    // Reads the transport data and fits the transport properties: 0 on success (status 2, or
    // already 2 or 3), 1 in status 0 or for missing or unreadable transport data, else the code
    // of the failing polynomial fit.
    int tranfit();
    int CKINIT();

    // The chemistry block of the solver data file. CKGlobalSave writes its lines (without line
    // ends into the list, or each ended by eol into the stream); the transport lines only when
    // withTransport is non-zero and the data set has fits. CKGlobalLoad reads a block into a
    // data set in status 0 and sets status 3 (in another status it returns 1 and changes nothing);
    // it returns 0, or 1 for a malformed block (a
    // missing line, too few fields, a field that is no number, dimensions other than 3, 5, 6, 7,
    // 14, an element count below 0 or a species count below 1). It never throws.
    void CKGlobalSave(std::vector<std::string>& lines, int withTransport) const;
    void CKGlobalSave(std::ostream& out, int withTransport, const char* eol = "\r\n") const;
    int CKGlobalLoad(RChemLineReader& in, int withTransport);
    int CKGlobalLoad(std::istream& in, int withTransport);

    // Counts and the property vectors the byte-code interpreter passes to the routines.
    int speciesCount() const { return kk_; }
    int elementCount() const { return mm_; }
    double* PropertyInput() { return propIn_.data(); }
    double* PropertyOutput() { return propOut_.data(); }
    bool hasTransportFits() const { return !cond_.empty(); }

    // Species thermodynamic routines (per species out) and mixture means; T in K, P in
    // dyne/cm2, rho in g/cm3, C in mol/cm3, weights in g/mol, energies in erg.
    void CKCPML(double T, double* cpml) const;
    void CKCVML(double T, double* cvml) const;
    void CKCPMS(double T, double* cpms) const;
    void CKCVMS(double T, double* cvms) const;
    void CKHML(double T, double* hml) const;
    void CKHMS(double T, double* hms) const;
    double CKCPBL(double T, const double* x) const;
    double CKCPBS(double T, const double* y) const;
    double CKCVBL(double T, const double* x) const;
    double CKCVBS(double T, const double* y) const;
    double CKHBML(double T, const double* x) const;
    double CKHBMS(double T, const double* y) const;
    double CKMMWC(const double* c) const;
    double CKMMWX(const double* x) const;
    double CKMMWY(const double* y) const;
    double CKPC(double rho, double T, const double* c) const;
    double CKPX(double rho, double T, const double* x) const;
    double CKPY(double rho, double T, const double* y) const;
    double CKRHOC(double P, double T, const double* c) const;
    double CKRHOX(double P, double T, const double* x) const;
    double CKRHOY(double P, double T, const double* y) const;
    void CKCTX(const double* c, double* x) const;
    void CKCTY(const double* c, double* y) const;
    void CKXTY(const double* x, double* y) const;
    void CKYTX(const double* y, double* x) const;
    void CKXTCP(double P, double T, const double* x, double* c) const;
    void CKXTCR(double rho, const double* x, double* c) const;
    void CKYTCP(double P, double T, const double* y, double* c) const;
    void CKYTCR(double rho, const double* y, double* c) const;
    void CKWT(double* wt) const;
    // The following read data that a loaded data set (status 3) does not hold: CKAWT copies
    // the atomic weights (held), CKCHRG and CKPHAZ fill zeros, CKSYME and CKSYMS give "".
    void CKAWT(double* awt) const;
    void CKCHRG(int* charges) const;
    void CKPHAZ(int* phases) const;
    void CKINDX(int& elements, int& species, int& coefficients) const;
    std::string CKSYME(int index) const;
    std::string CKSYMS(int index) const;
    // The built-in atomic weight of a symbol (any case), -1.0 when unknown.
    double CKAWTM(const std::string& symbol) const;

    // Mixture transport routines (need the transport fits). Viscosity g/(cm s), conductivity
    // erg/(cm s K), diffusion cm2/s.
    void MCSVIS(double T, double* visc) const;
    void MCSCON(double T, double* cond) const;
    double MCAVIS(double T, const double* x);
    double MCACON(double T, const double* x);
    void MCADIF(double P, double T, const double* x, double* d);
    void MCEDIF(double T, int nCoef, int kk, const double* x, const double* cofd, const double* wt,
                double small, double* xx, double* djk, double* d) const;
    void MCSDIF(double P, double T, double* djk) const;
    void MCEVAL(double x, int kk, int nCoef, const double* fits, double* out) const;

    // Kinetic-theory models and the polynomial fit used by tranfit.
    int LAMFIT(double pressure, int nPoints, int nCoef, double tFirst, double dT, double* condFits,
               double* viscFits, double& condErr, double& viscErr);
    int DIFFIT(double pressure, int nPoints, int nCoef, double tFirst, double dT, double* diffFits,
               double& diffErr);
    int THMFIT(int nPoints, int nCoef, double tFirst, double dT, double* thermFits, int* lightList,
               int& lightCount, double& thermErr);
    double D12(double w1, double w2, double T, double eps1, double eps2, double sig1, double sig2,
               double dst);
    double OMEG12(int n, double tStar, double dStar);
    static double INTERP(double x, const double X[3], const double Y[3]);
    double OMEGXX(int n, double tStar, double dStar);
    static double PARKER(double T, double epsOverK);
    // Least-squares fit by orthogonal polynomials. W null or W[0] < 0 asks for unit weights.
    // EPS = 0 fits degree MAXDEG; EPS > 0 the lowest degree whose rms error is at most EPS;
    // EPS < 0 the highest degree whose addition an F test at the level nearest to |EPS| of
    // 0.01, 0.05, 0.10 finds significant. On return EPS is the rms error. A must
    // hold 3 * (MAXDEG + 1) + 2 doubles; R (may be null) receives the fitted values. Result 1
    // success; 2 invalid input (no points, MAXDEG < 0, fewer distinct X than MAXDEG + 1, a weight
    // not above 0, a value that is not finite); 3 EPS > 0 not reached by MAXDEG; 4 EPS < 0 and
    // degree MAXDEG still significant (the MAXDEG fit is returned).
    static int POLFIT(int N, const double* X, const double* Y, const double* W, int MAXDEG, int& NDEG,
                      double& EPS, double* R, double* A);
    static int DP1VLU(int L, int NDER, double X, double& YFIT, double* YP, const double* A);
    static void PCOEF(int L, double C, double* TC, const double* A);
    static double HORNER(int N, const double* A, double X);

    // Input reading operations (the input lines and the reading position).
    int PeekLetter(char& c) const;
    int SkipWhiteSpace(char& c);
    int GetWord();
    int GetChemWord();
    int GetValueWord(int dotSeen, int inExponent);
    int LineInput(std::string& line);
    int NewLine();
    int ProceedLetter();
    const std::string& currentWord() const { return word_; }
    int GetKeySub(int block);
    const std::vector<std::string>& items() const { return items_; }
    int CKCHAR(int capacity, std::string* names, double* values, int& count);

    // Thermo data reading.
    int FindThermoHeader();
    int CKTHRM(RThermoLineSource* source);
    int CKPRNT();
    int ReadThermodat(RThermoLineSource* source, std::string& line);

    // Transport data reading.
    int tpRead(std::istream& in);

    // Data for tests and the compile listing.
    const std::vector<std::string>& elementNames() const { return elemNames_; }
    const std::vector<std::string>& speciesNames() const { return specNames_; }
    const std::vector<double>& atomicWeights() const { return awt_; }
    const std::vector<double>& molecularWeights() const { return wt_; }
    const std::vector<int>& charges() const { return charge_; }
    const std::vector<int>& phases() const { return phase_; }
    const std::vector<int>& composition() const { return ncf_; } // species-major, mm_ per species
    const std::vector<double>& lowTemperatures() const { return tLow_; }
    const std::vector<double>& commonTemperatures() const { return tMid_; }
    const std::vector<double>& highTemperatures() const { return tHigh_; }
    const std::vector<double>& coefficientSets() const { return coef_; } // 14 per species: low, high
    const std::vector<double>& conductivityFits() const { return cond_; }
    const std::vector<double>& viscosityFits() const { return visc_; }
    const std::vector<double>& diffusionFits() const { return diff_; }   // (j * K + k) * 4
    const std::vector<double>& thermalDiffusionFits() const { return therm_; }
    const std::vector<int>& lightSpecies() const { return light_; }
    double largestConductivityError() const { return condErr_; }
    double largestViscosityError() const { return viscErr_; }
    double largestDiffusionError() const { return diffErr_; }
    double largestThermalDiffusionError() const { return thermErr_; }
    double gasConstant() const { return R_; }
    double standardPressure() const { return P0_; }
    double smallNumber() const { return small_; }

private:
    struct TransportParams {
        double eps = 0, sig = 0, dip = 0, pol = 0, zrot = 0;
        int geometry = 1000;
    };

    void setConstants();
    void releaseElements();
    void releaseSpecies();
    void releaseTransport();
    void makeWorkArrays();
    bool readThermoSources();
    void writeLogTable();
    // cp/R polynomial of species k at T (the coefficient set for T).
    const double* coefficientsFor(int k, double T) const;
    double cpOverR(int k, double T) const;
    double hOverRT(int k, double T) const;
    int fitOne(int nPoints, const double* x, const double* y, int nCoef, double* coeffs, double& rms);
    double reducedDipoleFactor() const;

    // Interpretation state.
    std::vector<std::string> input_;
    bool hasInput_ = false;
    int line_ = 0, col_ = 0, wordLine_ = 0;
    std::string word_;
    std::vector<std::string> items_;
    std::vector<std::string> logLines_, errLines_;

    // Built-in atomic weights.
    const double* awTable_ = nullptr;

    std::string thermoDb_, tranDb_, extraThermo_, extraTran_;
    bool useThermoDb_ = true;

    // Dimensions and constants.
    int nT_ = 3, nCp_ = 5, nCp1_ = 6, nFit_ = 7, nCoef_ = 14;
    double small_ = 1e-300, big_ = 1e300, bigExp_ = 0;
    double R_ = 8.314e7, P0_ = 1013250.0, boltz_ = 0, pi_ = 3.1415926535, debye_ = 1e-18,
           angstrom_ = 1e8, dipMin_ = 1e-20, fitError_ = 0.0;

    int ckStatus_ = 0;

    int mm_ = 0;
    std::vector<std::string> elemNames_;
    std::vector<double> awt_;

    int kk_ = 0;
    std::vector<std::string> specNames_;
    std::vector<double> wt_;
    std::vector<unsigned char> thermoFound_;
    std::vector<int> charge_, phase_;
    std::vector<double> tLow_, tMid_, tHigh_;
    std::vector<double> coef_;
    std::vector<int> ncf_;
    double tLowDefault_ = -1.0, tMidDefault_ = -1.0, tHighDefault_ = -1.0;

    std::vector<TransportParams> tp_;

    std::vector<double> cond_, visc_, diff_, therm_;
    std::vector<int> light_;
    int nLight_ = 0;
    double condErr_ = 0, viscErr_ = 0, diffErr_ = 0, thermErr_ = 0;
    bool omegaUndefined_ = false;

    std::vector<double> propIn_, propOut_;
    // Work arrays of the mixture transport routines, sized with the species count.
    mutable std::vector<double> work1_, work2_, workMatrix_;
    // Weight factors of the viscosity mixing rule, row j: (Wk/Wj)^0.25 and
    // 0.353553390593274 / sqrt(Wj/Wk + 1).
    std::vector<double> mixW4_, mixWF_;
};
