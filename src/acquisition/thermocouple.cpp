// NIST ITS-90 thermocouple reference functions (NIST Monograph 175) and their
// approximate inverses. Every band of a type carries the same number of
// coefficients; bands with fewer published ones are padded with zeros, and
// the padding takes part in the evaluation like any other coefficient.
#include "acquisition/thermocouple.h"

#include <cmath>

namespace tessar {
namespace {

constexpr int kMaxCoefficients = 15;
constexpr int kMaxBands = 4;

struct BandedFunction {
  double lower;                       // range, inclusive at both ends
  double upper;
  int bandCount;
  double breakpoints[kMaxBands - 1];  // a value above breakpoint i uses band i + 1
  int coefficientCount;
  double c[kMaxBands][kMaxCoefficients];
};

// c0 + c1 x + c2 x^2 + ... with the powers built by repeated multiplication.
double Polynomial(const double* c, int n, double x) {
  double sum = 0.0;
  double power = 1.0;
  for (int i = 0; i < n; ++i) {
    sum += c[i] * power;
    power *= x;
  }
  return sum;
}

// Inclusive at both ends; NaN is never in range.
bool InRange(const BandedFunction& f, double x) { return x >= f.lower && x <= f.upper; }

// The polynomial of x's band: a value above a breakpoint takes the upper band,
// so a value exactly on a breakpoint takes the lower one.
double EvaluateInRange(const BandedFunction& f, double x) {
  int band = 0;
  while (band < f.bandCount - 1 && x > f.breakpoints[band]) ++band;
  return Polynomial(f.c[band], f.coefficientCount, x);
}

// ---- temperature -> EMF -------------------------------------------------

constexpr BandedFunction kForwardK = {
    -270.0, 1372.0, 2, {0.0}, 11,
    {{0.000000000000E+00, 0.394501280250E-01, 0.236223735980E-04, -0.328589067840E-06,
      -0.499048287770E-08, -0.675090591730E-10, -0.574103274280E-12, -0.310888728940E-14,
      -0.104516093650E-16, -0.198892668780E-19, -0.163226974860E-22},
     {-0.176004136860E-01, 0.389212049750E-01, 0.185587700320E-04, -0.994575928740E-07,
      0.318409457190E-09, -0.560728448890E-12, 0.560750590590E-15, -0.320207200030E-18,
      0.971511471520E-22, -0.121047212750E-25, 0.0}}};

constexpr BandedFunction kForwardR = {
    -50.0, 1768.1, 3, {1064.18, 1664.5}, 10,
    {{0.000000000000E+00, 0.528961729765E-02, 0.139166589782E-04, -0.238855693017E-07,
      0.356916001063E-10, -0.462347666298E-13, 0.500777441034E-16, -0.373105886191E-19,
      0.157716482367E-22, -0.281038625251E-26},
     {0.295157925316E+01, -0.252061251332E-02, 0.159564501865E-04, -0.764085947576E-08,
      0.205305291024E-11, -0.293359668173E-15},
     {0.152232118209E+03, -0.268819888545E+00, 0.171280280471E-03, -0.345895706453E-07,
      -0.934633971046E-14}}};

constexpr BandedFunction kForwardJ = {
    -210.0, 1200.0, 2, {760.0}, 9,
    {{0.000000000000E+00, 0.503811878150E-01, 0.304758369300E-04, -0.856810657200E-07,
      0.132281952950E-09, -0.170529583370E-12, 0.209480906970E-15, -0.125383953360E-18,
      0.156317256970E-22},
     {0.296456256810E+03, -0.149761277860E+01, 0.317871039240E-02, -0.318476867010E-05,
      0.157208190040E-08, -0.306913690560E-12}}};

constexpr BandedFunction kForwardS = {
    -50.0, 1768.1, 3, {1064.18, 1664.5}, 9,
    {{0.000000000000E+00, 0.540313308631E-02, 0.125934289740E-04, -0.232477968689E-07,
      0.322028823036E-10, -0.331465196389E-13, 0.255744251786E-16, -0.125068871393E-19,
      0.271443176145E-23},
     {0.132900444085E+01, 0.334509311344E-02, 0.654805192818E-05, -0.164856259209E-08,
      0.129989605174E-13},
     {0.146628232636E+03, -0.258430516752E+00, 0.163693574641E-03, -0.330439046987E-07,
      -0.943223690612E-14}}};

constexpr BandedFunction kForwardT = {
    -270.0, 400.0, 2, {0.0}, 15,
    {{0.000000000000E+00, 0.387481063640E-01, 0.441944343470E-04, 0.118443231050E-06,
      0.200329735540E-07, 0.901380195590E-09, 0.226511565930E-10, 0.360711542050E-12,
      0.384939398830E-14, 0.282135219250E-16, 0.142515947790E-18, 0.487686622860E-21,
      0.107955392700E-23, 0.139450270620E-26, 0.797951539270E-30},
     {0.000000000000E+00, 0.387481063640E-01, 0.332922278800E-04, 0.206182434040E-06,
      -0.218822568460E-08, 0.109968809280E-10, -0.308157587720E-13, 0.454791352900E-16,
      -0.275129016730E-19}}};

// ---- EMF -> temperature -------------------------------------------------

constexpr BandedFunction kInverseK = {
    -5.891, 54.886, 3, {0.0, 20.644}, 10,
    {{0.0000000E+00, 2.5173462E+01, -1.1662878E+00, -1.0833638E+00, -8.9773540E-01,
      -3.7342377E-01, -8.6632643E-02, -1.0450598E-02, -5.1920577E-04, 0.0000000E+00},
     {0.000000E+00, 2.508355E+01, 7.860106E-02, -2.503131E-01, 8.315270E-02, -1.228034E-02,
      9.804036E-04, -4.413030E-05, 1.057734E-06, -1.052755E-08},
     {-1.318058E+02, 4.830222E+01, -1.646031E+00, 5.464731E-02, -9.650715E-04, 8.802193E-06,
      -3.110810E-08, 0.000000E+00, 0.000000E+00, 0.000000E+00}}};

constexpr BandedFunction kInverseR = {
    -0.226, 21.103, 4, {1.923, 13.228, 19.739}, 11,
    {{0.0000000E+00, 1.8891380E+02, -9.3835290E+01, 1.3068619E+02, -2.2703580E+02,
      3.5145659E+02, -3.8953900E+02, 2.8239471E+02, -1.2607281E+02, 3.1353611E+01,
      -3.3187769E+00},
     {1.334584505E+01, 1.472644573E+02, -1.844024844E+01, 4.031129726E+00, -6.249428360E-01,
      6.468412046E-02, -4.458750426E-03, 1.994710149E-04, -5.313401790E-06, 6.481976217E-08,
      0.0},
     {-8.199599416E+01, 1.553962042E+02, -8.342197663E+00, 4.279433549E-01, -1.191577910E-02,
      1.492290091E-04},
     {3.406177836E+04, -7.023729171E+03, 5.582903813E+02, -1.952394635E+01,
      2.560740231E-01}}};

constexpr BandedFunction kInverseJ = {
    -8.095, 69.553, 3, {0.0, 42.919}, 9,
    {{0.0000000E+00, 1.9528268E+01, -1.2286185E+00, -1.0752178E+00, -5.9086933E-01,
      -1.7256713E-01, -2.8131513E-02, -2.3963370E-03, -8.3823321E-05},
     {0.000000E+00, 1.978425E+01, -2.001204E-01, 1.036969E-02, -2.549687E-04, 3.585153E-06,
      -5.344285E-08, 5.099890E-10, 0.000000E+00},
     {-3.11358187E+03, 3.00543684E+02, -9.94773230E+00, 1.70276630E-01, -1.43033468E-03,
      4.73886084E-06}}};

constexpr BandedFunction kInverseS = {
    -0.235, 18.693, 4, {1.874, 11.95, 17.536}, 10,
    {{0.00000000E+00, 1.84949460E+02, -8.00504062E+01, 1.02237430E+02, -1.52248592E+02,
      1.88821343E+02, -1.59085941E+02, 8.23027880E+01, -2.34181944E+01, 2.79786260E+00},
     {1.291507177E+01, 1.466298863E+02, -1.534713402E+01, 3.145945973E+00, -4.163257839E-01,
      3.187963771E-02, -1.291637500E-03, 2.183475087E-05, -1.447379511E-07, 8.211272125E-09},
     {-8.087801117E+01, 1.621573104E+02, -8.536869453E+00, 4.719686976E-01, -1.441693666E-02,
      2.081618890E-04},
     {5.333875126E+04, -1.235892298E+04, 1.092657613E+03, -4.265693686E+01,
      6.247205420E-01}}};

constexpr BandedFunction kInverseT = {
    -5.603, 20.872, 2, {0.0}, 8,
    {{0.0000000E+00, 2.5949192E+01, -2.1316967E-01, 7.9018692E-01, 4.2527777E-01,
      1.3304473E-01, 2.0241446E-02, 1.2668171E-03},
     {0.000000E+00, 2.592800E+01, -7.602961E-01, 4.637791E-02, -2.165394E-03, 6.048144E-05,
      -7.293422E-07, 0.000000E+00}}};

const BandedFunction* ForwardOf(char letter) {
  switch (letter) {
    case 'K': return &kForwardK;
    case 'R': return &kForwardR;
    case 'J': return &kForwardJ;
    case 'S': return &kForwardS;
    case 'T': return &kForwardT;
    default: return nullptr;
  }
}

const BandedFunction* InverseOf(char letter) {
  switch (letter) {
    case 'K': return &kInverseK;
    case 'R': return &kInverseR;
    case 'J': return &kInverseJ;
    case 'S': return &kInverseS;
    case 'T': return &kInverseT;
    default: return nullptr;
  }
}

// Type K's correction term above 0 degC.
constexpr double kKExpA0 = 0.1185976;
constexpr double kKExpA1 = -0.0001183432;
constexpr double kKExpA2 = 126.9686;

}  // namespace

double TemperatureToMv(char letter, double t) {
  const BandedFunction* f = ForwardOf(letter);
  if (!f) return OutOfRangeValue;
  if (!InRange(*f, t)) return OutOfRangeValue;
  double mv = EvaluateInRange(*f, t);
  if (letter == 'K' && t > 0.0) {
    const double d = t - kKExpA2;
    mv += kKExpA0 * std::exp(kKExpA1 * d * d);
  }
  return mv;
}

double MvToTemperature(char letter, double mv, double cjMv) {
  const BandedFunction* f = InverseOf(letter);
  if (!f) return OutOfRangeValue;
  const double e = mv + cjMv;
  if (!InRange(*f, e)) return OutOfRangeValue;
  return EvaluateInRange(*f, e);
}

}  // namespace tessar
