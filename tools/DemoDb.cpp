#include "DemoDb.h"

#include "db/Firebird.h"
#include "db/USql.h"
#include "util/Cp1250.h"
#include "util/MyUtil.h"

#include <cstdlib>

namespace demodb
{

namespace
{

// The demo catalogue, written in UTF-8 here and stored as Windows-1250. A price is gross, in złoty.
struct Item {
    const char* grupa;
    const char* nazwa;
    const char* jm;
    const char* cena;
    int vat;
    int nieaktywny = 0;
    const char* asort = nullptr; // nullptr: the next number
};

const Item DemoItems[] = {
    // Pieczywo
    {"PIECZ", "Chleb wiejski krojony 600g", "SZT", "5.49", 5},
    {"PIECZ", "Chleb żytni na zakwasie 500g", "SZT", "6.99", 5},
    {"PIECZ", "Chleb razowy z ziarnami 450g", "SZT", "5.99", 5},
    {"PIECZ", "Chleb tostowy pszenny 500g", "SZT", "4.79", 5},
    {"PIECZ", "Chleb baltonowski 400g", "SZT", "3.99", 5},
    {"PIECZ", "Bułka kajzerka 60g", "SZT", "0.69", 5},
    {"PIECZ", "Bułka grahamka 80g", "SZT", "0.99", 5},
    {"PIECZ", "Bułka maślana z kruszonką", "SZT", "1.89", 5},
    {"PIECZ", "Rogal świętomarciński 200g", "SZT", "9.99", 5},
    {"PIECZ", "Bagietka francuska 250g", "SZT", "3.49", 5},
    {"PIECZ", "Chałka z rodzynkami 350g", "SZT", "5.29", 5},
    {"PIECZ", "Pączek z różą", "SZT", "1.99", 5},
    {"PIECZ", "Drożdżówka z serem", "SZT", "2.49", 5},
    {"PIECZ", "Bułka tarta 450g", "SZT", "3.29", 5},
    {"PIECZ", "Pieczywo chrupkie żytnie", "SZT", "4.19", 5},
    {"PIECZ", "Sucharki bez cukru 225g", "SZT", "5.49", 5},
    {"PIECZ", "Tortilla pszenna 6 szt.", "OPAK", "7.99", 5},
    {"PIECZ", "Croissant z czekoladą", "SZT", "2.79", 5},
    {"PIECZ", "Obwarzanek krakowski", "SZT", "2.50", 5},
    {"PIECZ", "Ciabatta z oliwkami", "SZT", "3.99", 5},
    // Nabiał
    {"NABIAL", "Mleko UHT 3,2% 1L", "L", "3.69", 5},
    {"NABIAL", "Mleko świeże 2% 1L", "L", "3.99", 5},
    {"NABIAL", "Mleko bez laktozy 1,5% 1L", "L", "4.79", 5},
    {"NABIAL", "Maślanka naturalna 1L", "L", "3.49", 5},
    {"NABIAL", "Kefir naturalny 400g", "SZT", "2.49", 5},
    {"NABIAL", "Jogurt naturalny Bakoma 150g", "SZT", "1.79", 5},
    {"NABIAL", "Jogurt naturalny Bakoma 400g", "SZT", "3.99", 5},
    {"NABIAL", "Jogurt grecki 10% 400g", "SZT", "5.49", 5},
    {"NABIAL", "Jogurt truskawkowy 150g", "SZT", "1.99", 5},
    {"NABIAL", "Śmietana 18% 400g", "SZT", "4.29", 5},
    {"NABIAL", "Śmietanka 30% 200ml", "SZT", "4.49", 5},
    {"NABIAL", "Masło ekstra 82% 200g", "SZT", "7.99", 5},
    {"NABIAL", "Masło osełkowe 300g", "SZT", "10.99", 5},
    {"NABIAL", "Ser żółty Gouda Mlekovita 150g", "SZT", "5.99", 5},
    {"NABIAL", "Ser żółty Gouda Mlekovita na wagę", "KG", "32.90", 5, 1},
    {"NABIAL", "Ser Edamski plastry 135g", "SZT", "5.49", 5},
    {"NABIAL", "Twaróg półtłusty 250g", "SZT", "4.99", 5},
    {"NABIAL", "Serek wiejski 200g", "SZT", "2.99", 5},
    {"NABIAL", "Serek homogenizowany waniliowy 150g", "SZT", "2.29", 5},
    {"NABIAL", "Ser pleśniowy Camembert 120g", "SZT", "6.49", 5},
    {"NABIAL", "Mozzarella w zalewie 125g", "SZT", "3.79", 5},
    {"NABIAL", "Jaja z wolnego wybiegu L 10 szt.", "OPAK", "12.99", 5},
    {"NABIAL", "Jaja ściółkowe M 10 szt.", "OPAK", "9.99", 5},
    {"NABIAL", "Margaryna do smarowania 250g", "SZT", "3.99", 5},
    {"NABIAL", "Ser feta sałatkowy 200g", "SZT", "6.99", 5},
    {"NABIAL", "Oscypek wędzony", "KG", "69.00", 5},
    // Mięso i wędliny
    {"MIESO", "Kiełbasa śląska", "KG", "24.99", 5},
    {"MIESO", "Kiełbasa krakowska sucha", "KG", "49.90", 5},
    {"MIESO", "Kabanosy wieprzowe 105g", "SZT", "6.99", 5},
    {"MIESO", "Szynka konserwowa", "KG", "34.90", 5},
    {"MIESO", "Szynka wędzona plastry 100g", "SZT", "5.99", 5},
    {"MIESO", "Polędwica sopocka", "KG", "54.90", 5},
    {"MIESO", "Boczek wędzony parzony", "KG", "29.90", 5},
    {"MIESO", "Parówki z szynki 250g", "SZT", "6.49", 5},
    {"MIESO", "Pasztet drobiowy 155g", "SZT", "3.29", 5},
    {"MIESO", "Salceson włoski", "KG", "19.90", 5},
    {"MIESO", "Kaszanka gryczana", "KG", "12.90", 5},
    {"MIESO", "Schab wieprzowy bez kości", "KG", "21.90", 5},
    {"MIESO", "Karkówka wieprzowa", "KG", "22.90", 5},
    {"MIESO", "Łopatka wieprzowa", "KG", "17.90", 5},
    {"MIESO", "Żeberka wieprzowe", "KG", "19.90", 5},
    {"MIESO", "Mięso mielone wieprzowe", "KG", "18.90", 5},
    {"MIESO", "Filet z piersi kurczaka", "KG", "24.90", 5},
    {"MIESO", "Udka z kurczaka", "KG", "11.90", 5},
    {"MIESO", "Skrzydełka z kurczaka", "KG", "12.90", 5},
    {"MIESO", "Wołowina gulaszowa", "KG", "42.90", 5},
    {"MIESO", "Indyk filet", "KG", "32.90", 5},
    {"MIESO", "Mielonka tyrolska 300g", "SZT", "7.49", 5},
    {"MIESO", "Pasztetowa podlaska", "KG", "14.90", 5},
    {"MIESO", "Smalec ze skwarkami 200g", "SZT", "4.99", 5},
    // Warzywa i owoce
    {"WARZ", "Ziemniaki młode", "KG", "3.49", 5},
    {"WARZ", "Ziemniaki jadalne worek 5kg", "OPAK", "9.99", 5},
    {"WARZ", "Marchew", "KG", "2.99", 5},
    {"WARZ", "Pietruszka korzeń", "KG", "8.99", 5},
    {"WARZ", "Seler korzeń", "KG", "5.99", 5},
    {"WARZ", "Cebula żółta", "KG", "2.99", 5},
    {"WARZ", "Czosnek polski główka", "SZT", "1.99", 5},
    {"WARZ", "Pomidory malinowe", "KG", "12.99", 5},
    {"WARZ", "Ogórki gruntowe", "KG", "6.99", 5},
    {"WARZ", "Ogórki kiszone", "KG", "9.99", 5},
    {"WARZ", "Kapusta biała główka", "SZT", "4.99", 5},
    {"WARZ", "Kapusta kiszona z beczki", "KG", "5.99", 5},
    {"WARZ", "Papryka czerwona", "KG", "14.99", 5},
    {"WARZ", "Sałata masłowa", "SZT", "3.49", 5},
    {"WARZ", "Rzodkiewka pęczek", "SZT", "2.49", 5},
    {"WARZ", "Koperek pęczek", "SZT", "1.99", 5},
    {"WARZ", "Szczypiorek pęczek", "SZT", "1.99", 5},
    {"WARZ", "Buraki ćwikłowe", "KG", "3.49", 5},
    {"WARZ", "Brokuły", "SZT", "5.99", 5},
    {"WARZ", "Kalafior", "SZT", "6.99", 5},
    {"WARZ", "Pieczarki 500g", "OPAK", "6.49", 5},
    {"WARZ", "Jabłka Szampion", "KG", "3.99", 5},
    {"WARZ", "Jabłka Ligol", "KG", "4.49", 5},
    {"WARZ", "Gruszki Konferencja", "KG", "7.99", 5},
    {"WARZ", "Banany", "KG", "5.99", 5},
    {"WARZ", "Pomarańcze", "KG", "6.99", 5},
    {"WARZ", "Mandarynki", "KG", "8.99", 5},
    {"WARZ", "Cytryny", "KG", "8.99", 5},
    {"WARZ", "Winogrona białe bezpestkowe", "KG", "14.99", 5},
    {"WARZ", "Truskawki kobiałka 500g", "OPAK", "9.99", 5},
    {"WARZ", "Śliwki węgierki", "KG", "6.99", 5},
    {"WARZ", "Borówka amerykańska 125g", "OPAK", "7.99", 5},
    {"WARZ", "Kiwi", "SZT", "1.29", 5},
    {"WARZ", "Awokado Hass", "SZT", "4.99", 5},
    // Artykuły sypkie
    {"SYPKIE", "Mąka pszenna typ 450 1kg", "SZT", "3.49", 5},
    {"SYPKIE", "Mąka żytnia typ 720 1kg", "SZT", "4.29", 5},
    {"SYPKIE", "Cukier biały 1kg", "SZT", "4.49", 5},
    {"SYPKIE", "Cukier puder 400g", "SZT", "3.29", 5},
    {"SYPKIE", "Cukier trzcinowy 500g", "SZT", "6.99", 5},
    {"SYPKIE", "Sól kamienna jodowana 1kg", "SZT", "1.49", 5},
    {"SYPKIE", "Ryż biały długoziarnisty 1kg", "SZT", "5.99", 5},
    {"SYPKIE", "Ryż basmati 4x100g", "OPAK", "5.49", 5},
    {"SYPKIE", "Kasza gryczana prażona 400g", "SZT", "4.29", 5},
    {"SYPKIE", "Kasza jęczmienna pęczak 500g", "SZT", "3.49", 5},
    {"SYPKIE", "Kasza manna 500g", "SZT", "3.19", 5},
    {"SYPKIE", "Kasza kuskus 400g", "SZT", "5.99", 5},
    {"SYPKIE", "Płatki owsiane górskie 500g", "SZT", "3.99", 5},
    {"SYPKIE", "Płatki kukurydziane 250g", "SZT", "6.49", 5},
    {"SYPKIE", "Makaron świderki 500g", "SZT", "3.99", 5},
    {"SYPKIE", "Makaron spaghetti 500g", "SZT", "3.99", 5},
    {"SYPKIE", "Makaron nitki rosołowe 250g", "SZT", "2.99", 5},
    {"SYPKIE", "Groch łuskany połówki 500g", "SZT", "3.29", 5},
    {"SYPKIE", "Fasola Jaś 500g", "SZT", "8.99", 5},
    {"SYPKIE", "Soczewica czerwona 400g", "SZT", "6.49", 5},
    // Słodycze i przekąski
    {"SLODYCZE", "Czekolada mleczna Wedel 100g", "SZT", "5.49", 23},
    {"SLODYCZE", "Czekolada mleczna Wedel z orzechami 100g", "SZT", "6.49", 23},
    {"SLODYCZE", "Czekolada gorzka 70% 100g", "SZT", "6.99", 23},
    {"SLODYCZE", "Wafelek Prince Polo 35g", "SZT", "1.99", 23},
    {"SLODYCZE", "Ptasie mleczko waniliowe 380g", "SZT", "16.99", 23},
    {"SLODYCZE", "Krówki ciągutki", "KG", "24.90", 23},
    {"SLODYCZE", "Cukierki Michałki", "KG", "39.90", 23},
    {"SLODYCZE", "Herbatniki Petit Beurre 100g", "SZT", "2.79", 5},
    {"SLODYCZE", "Pierniki toruńskie alpejskie 160g", "SZT", "7.49", 5},
    {"SLODYCZE", "Wafle ryżowe naturalne 130g", "SZT", "3.49", 5},
    {"SLODYCZE", "Chipsy ziemniaczane solone 140g", "SZT", "5.99", 5},
    {"SLODYCZE", "Paluszki słone 200g", "SZT", "2.99", 5},
    {"SLODYCZE", "Orzeszki ziemne solone 150g", "SZT", "4.99", 5},
    {"SLODYCZE", "Żelki owocowe 200g", "SZT", "4.49", 23},
    {"SLODYCZE", "Chałwa sezamowa 100g", "SZT", "3.99", 23},
    {"SLODYCZE", "Sezamki 27g", "SZT", "1.29", 23},
    {"SLODYCZE", "Delicje szampańskie pomarańczowe 147g", "SZT", "6.49", 5},
    {"SLODYCZE", "Drażetki czekoladowe 70g", "SZT", "3.49", 23},
    // Napoje
    {"NAPOJE", "Woda mineralna Cisowianka 1,5L", "L", "2.49", 8},
    {"NAPOJE", "Woda mineralna Cisowianka 0,5L", "L", "1.59", 8},
    {"NAPOJE", "Woda źródlana niegazowana 5L", "OPAK", "4.99", 8},
    {"NAPOJE", "Sok jabłkowy 100% 1L", "L", "4.99", 5},
    {"NAPOJE", "Sok pomarańczowy 100% 1L", "L", "5.99", 5},
    {"NAPOJE", "Sok pomidorowy 1L", "L", "4.99", 5},
    {"NAPOJE", "Nektar z czarnej porzeczki 1L", "L", "4.49", 5},
    {"NAPOJE", "Napój gazowany cola 2L", "L", "6.99", 23},
    {"NAPOJE", "Napój pomarańczowy gazowany 2L", "L", "5.49", 23},
    {"NAPOJE", "Oranżada czerwona 1,25L", "L", "3.49", 23},
    {"NAPOJE", "Napój energetyczny 250ml", "SZT", "3.99", 23},
    {"NAPOJE", "Herbata mrożona brzoskwiniowa 1,5L", "L", "5.29", 23},
    {"NAPOJE", "Kwas chlebowy 1L", "L", "4.49", 23},
    {"NAPOJE", "Woda kokosowa 330ml", "SZT", "7.99", 8},
    {"NAPOJE", "Syrop malinowy 420ml", "SZT", "8.99", 23},
    // Alkohole
    {"ALKOHOL", "Piwo jasne pełne 0,5L butelka", "SZT", "3.99", 23},
    {"ALKOHOL", "Piwo jasne puszka 0,5L", "SZT", "3.69", 23},
    {"ALKOHOL", "Piwo ciemne Porter 0,5L", "SZT", "6.99", 23},
    {"ALKOHOL", "Piwo bezalkoholowe 0,5L", "SZT", "3.79", 23},
    {"ALKOHOL", "Wódka czysta 0,5L", "SZT", "29.99", 23},
    {"ALKOHOL", "Wódka żołądkowa gorzka 0,5L", "SZT", "32.99", 23},
    {"ALKOHOL", "Wino czerwone wytrawne 0,75L", "SZT", "24.99", 23},
    {"ALKOHOL", "Wino białe półsłodkie 0,75L", "SZT", "22.99", 23},
    {"ALKOHOL", "Nalewka wiśniowa 0,5L", "SZT", "34.99", 23},
    {"ALKOHOL", "Miód pitny półtorak 0,75L", "SZT", "59.99", 23},
    {"ALKOHOL", "Cydr jabłkowy 0,4L", "SZT", "5.99", 23},
    {"ALKOHOL", "Likier jajeczny 0,5L", "SZT", "27.99", 23},
    // Kawa i herbata
    {"KAWA", "Kawa mielona Jacobs Krönung 500g", "SZT", "27.99", 23},
    {"KAWA", "Kawa ziarnista Lavazza 1kg", "SZT", "69.99", 23},
    {"KAWA", "Kawa rozpuszczalna Nescafé 200g", "SZT", "29.99", 23},
    {"KAWA", "Kawa zbożowa Inka 150g", "SZT", "8.99", 23},
    {"KAWA", "Herbata czarna Lipton 100 torebek", "OPAK", "19.99", 23},
    {"KAWA", "Herbata ekspresowa Saga 90 torebek", "OPAK", "8.99", 23},
    {"KAWA", "Herbata zielona liściasta 100g", "SZT", "11.99", 23},
    {"KAWA", "Herbata owocowa malinowa 20 torebek", "OPAK", "4.49", 23},
    {"KAWA", "Herbata miętowa 20 torebek", "OPAK", "3.49", 23},
    {"KAWA", "Kakao naturalne 150g", "SZT", "9.49", 23},
    {"KAWA", "Cappuccino waniliowe 10 saszetek", "OPAK", "8.49", 23},
    // Mrożonki
    {"MROZ", "Pierogi ruskie 450g", "SZT", "8.99", 5},
    {"MROZ", "Pierogi z mięsem 450g", "SZT", "9.99", 5},
    {"MROZ", "Kopytka ziemniaczane 500g", "SZT", "6.99", 5},
    {"MROZ", "Frytki karbowane 750g", "SZT", "7.49", 5},
    {"MROZ", "Mieszanka warzywna chińska 450g", "SZT", "5.99", 5},
    {"MROZ", "Truskawki mrożone 450g", "SZT", "7.99", 5},
    {"MROZ", "Fasolka szparagowa mrożona 450g", "SZT", "5.49", 5},
    {"MROZ", "Lody waniliowe 1L", "L", "12.99", 5},
    {"MROZ", "Lody czekoladowe na patyku", "SZT", "3.49", 5},
    {"MROZ", "Paluszki rybne 300g", "SZT", "9.99", 5},
    {"MROZ", "Pizza mrożona z szynką 350g", "SZT", "10.99", 8},
    {"MROZ", "Szpinak rozdrobniony 450g", "SZT", "5.99", 5},
    // Konserwy i przetwory
    {"KONSERWY", "Groszek konserwowy 400g", "SZT", "3.99", 5},
    {"KONSERWY", "Kukurydza konserwowa 400g", "SZT", "4.49", 5},
    {"KONSERWY", "Fasola czerwona konserwowa 400g", "SZT", "3.99", 5},
    {"KONSERWY", "Koncentrat pomidorowy 30% 200g", "SZT", "3.29", 5},
    {"KONSERWY", "Passata pomidorowa 500g", "SZT", "4.99", 5},
    {"KONSERWY", "Ogórki konserwowe słoik 900ml", "SZT", "7.99", 5},
    {"KONSERWY", "Buraczki tarte 500g", "SZT", "4.49", 5},
    {"KONSERWY", "Chrzan tarty 180g", "SZT", "3.99", 5},
    {"KONSERWY", "Musztarda sarepska 180g", "SZT", "2.99", 5},
    {"KONSERWY", "Ketchup łagodny 480g", "SZT", "6.99", 5},
    {"KONSERWY", "Majonez dekoracyjny 400g", "SZT", "8.99", 5},
    {"KONSERWY", "Dżem truskawkowy niskosłodzony 280g", "SZT", "5.99", 5},
    {"KONSERWY", "Konfitura D'arbo truskawkowa 200g", "SZT", "9.99", 5, 0, "D'ARBO1"},
    {"KONSERWY", "Powidła śliwkowe 290g", "SZT", "6.49", 5},
    {"KONSERWY", "Miód wielokwiatowy 400g", "SZT", "18.99", 5},
    {"KONSERWY", "Tuńczyk w sosie własnym 170g", "SZT", "7.49", 5},
    {"KONSERWY", "Szprot w oleju 170g", "SZT", "4.29", 5},
    {"KONSERWY", "Filety śledziowe w oleju 300g", "SZT", "8.99", 5},
    {"KONSERWY", "Paprykarz szczeciński 310g", "SZT", "5.49", 5},
    {"KONSERWY", "Olej rzepakowy 1L", "L", "8.99", 5},
    {"KONSERWY", "Oliwa z oliwek extra virgin 0,5L", "L", "24.99", 5},
    {"KONSERWY", "Ocet spirytusowy 10% 0,5L", "L", "2.49", 23},
    // Przyprawy
    {"PRZYPR", "Pieprz czarny mielony 20g", "SZT", "2.49", 5},
    {"PRZYPR", "Papryka słodka mielona 20g", "SZT", "1.99", 5},
    {"PRZYPR", "Majeranek otarty 8g", "SZT", "1.79", 5},
    {"PRZYPR", "Liść laurowy 6g", "SZT", "1.49", 5},
    {"PRZYPR", "Ziele angielskie 15g", "SZT", "1.69", 5},
    {"PRZYPR", "Cynamon mielony 15g", "SZT", "2.29", 5},
    {"PRZYPR", "Kostka rosołowa drobiowa 6 szt.", "OPAK", "3.49", 5},
    {"PRZYPR", "Przyprawa do kurczaka 30g", "SZT", "1.99", 5},
    {"PRZYPR", "Przyprawa warzywna uniwersalna 200g", "SZT", "6.99", 5},
    {"PRZYPR", "Bazylia suszona 10g", "SZT", "1.89", 5},
    {"PRZYPR", "Oregano suszone 10g", "SZT", "1.89", 5},
    {"PRZYPR", "Kurkuma mielona 20g", "SZT", "2.49", 5},
    {"PRZYPR", "Proszek do pieczenia 30g", "SZT", "0.99", 5},
    {"PRZYPR", "Cukier wanilinowy 16g", "SZT", "0.79", 5},
    {"PRZYPR", "Drożdże świeże 100g", "SZT", "1.99", 5},
    {"PRZYPR", "Żelatyna spożywcza 20g", "SZT", "2.99", 5},
    // Chemia gospodarcza
    {"CHEMIA", "Płyn do naczyń cytrynowy 1L", "L", "6.99", 23},
    {"CHEMIA", "Proszek do prania kolor 1,5kg", "SZT", "24.99", 23},
    {"CHEMIA", "Płyn do płukania tkanin 1L", "L", "11.99", 23},
    {"CHEMIA", "Mleczko do czyszczenia 750ml", "SZT", "7.99", 23},
    {"CHEMIA", "Płyn do mycia szyb 500ml", "SZT", "8.49", 23},
    {"CHEMIA", "Żel do WC 750ml", "SZT", "6.99", 23},
    {"CHEMIA", "Kostka do WC zawieszka", "SZT", "3.99", 23},
    {"CHEMIA", "Papier toaletowy 8 rolek", "OPAK", "12.99", 23},
    {"CHEMIA", "Ręcznik papierowy 2 rolki", "OPAK", "7.99", 23},
    {"CHEMIA", "Chusteczki higieniczne 10 paczek", "OPAK", "5.49", 23},
    {"CHEMIA", "Worki na śmieci 35L 50 szt.", "OPAK", "6.99", 23},
    {"CHEMIA", "Folia aluminiowa 20m", "SZT", "8.99", 23},
    {"CHEMIA", "Zapałki 10 pudełek", "OPAK", "2.99", 23},
    {"CHEMIA", "Świeca zapachowa wanilia", "SZT", "9.99", 23},
    {"CHEMIA", "Gąbki kuchenne 5 szt.", "OPAK", "3.49", 23},
    {"CHEMIA", "Tabletki do zmywarki 40 szt.", "OPAK", "39.99", 23},
    // Kosmetyki
    {"KOSMET", "Mydło w kostce rumiankowe 100g", "SZT", "2.49", 23},
    {"KOSMET", "Mydło w płynie 500ml", "SZT", "6.99", 23},
    {"KOSMET", "Szampon do włosów 400ml", "SZT", "12.99", 23},
    {"KOSMET", "Pasta do zębów 75ml", "SZT", "7.99", 23},
    {"KOSMET", "Szczoteczka do zębów średnia", "SZT", "5.99", 23},
    {"KOSMET", "Dezodorant w sprayu 150ml", "SZT", "11.99", 23},
    {"KOSMET", "Krem nawilżający 50ml", "SZT", "14.99", 23},
    {"KOSMET", "Żel pod prysznic 250ml", "SZT", "8.99", 23},
    {"KOSMET", "Pianka do golenia 200ml", "SZT", "9.99", 23},
    {"KOSMET", "Maszynki do golenia 5 szt.", "OPAK", "11.99", 23},
    {"KOSMET", "Chusteczki nawilżane 72 szt.", "OPAK", "6.49", 23},
    {"KOSMET", "Podpaski higieniczne 10 szt.", "OPAK", "7.49", 23},
    {"KOSMET", "Pieluchy rozmiar 4 46 szt.", "OPAK", "49.99", 8},
    // Inne
    {"INNE", "Kaucja butelka zwrotna", "SZT", "0.50", 0},
    {"INNE", "Kaucja skrzynka na butelki", "SZT", "10.00", 0},
    {"INNE", "Reklamówka foliowa", "SZT", "1.00", 23},
    {"INNE", "Torba papierowa duża", "SZT", "0.90", 23},
    {"INNE", "Torba wielorazowa bawełniana", "SZT", "4.99", 23},
    {"INNE", "Baterie alkaliczne AA 4 szt.", "OPAK", "12.99", 23},
    {"INNE", "Żarówka LED E27 10W", "SZT", "9.99", 23},
    {"INNE", "Gazeta codzienna", "SZT", "3.50", 8, 1},
    {"INNE", "Karma dla kota z kurczakiem 100g", "SZT", "2.49", 8},
    {"INNE", "Karma dla psa wołowina 1,2kg", "SZT", "14.99", 8},
    {"INNE", "Węgiel drzewny 2,5kg", "SZT", "12.99", 23},
    {"INNE", "Podpałka do grilla 32 kostki", "SZT", "5.99", 23},
    {"INNE", "Znicz szklany", "SZT", "6.99", 23, 1},
    {"INNE", "Kwiaty cięte tulipan", "SZT", "2.99", 8, 1},
};

const struct {
    const char* grupa;
    const char* nazwa;
} DemoGroupItems[] = {
    {"PIECZ", "Pieczywo"},
    {"NABIAL", "Nabiał"},
    {"MIESO", "Mięso i wędliny"},
    {"WARZ", "Warzywa i owoce"},
    {"SYPKIE", "Artykuły sypkie"},
    {"SLODYCZE", "Słodycze i przekąski"},
    {"NAPOJE", "Napoje"},
    {"ALKOHOL", "Alkohole"},
    {"KAWA", "Kawa i herbata"},
    {"MROZ", "Mrożonki"},
    {"KONSERWY", "Konserwy i przetwory"},
    {"PRZYPR", "Przyprawy"},
    {"CHEMIA", "Chemia gospodarcza"},
    {"KOSMET", "Kosmetyki"},
    {"INNE", "Inne"},
};

// Words of the generated catalogue (UTF-8).
const char* const LargeNouns[] = {"Ser",     "Chleb", "Sok",   "Dżem",  "Miód",  "Olej",   "Makaron", "Kasza",
                                  "Herbata", "Kawa",  "Żurek", "Łosoś", "Śledź", "Ćwikła", "Pączek",  "Jabłko"};
const char* const LargeOrigins[] = {"z Mazur",   "z Podhala", "z Kaszub", "ze Śląska", "z Łodzi",   "z Żywca",
                                    "z Gdańska", "z Kielc",   "BIO",      "extra",     "bez cukru", "od rolnika"};
const char* const Units[] = {"SZT", "KG", "L", "OPAK"};
const int Rates[] = {23, 8, 5, 0};

// A price in grosze from "12.34".
int64_t Grosze(const char* text)
{
    std::string t = text;
    size_t point = t.find('.');
    return std::atoll(t.substr(0, point).c_str()) * 100 + std::atoll(t.substr(point + 1).c_str());
}

Decimal Money(int64_t grosze)
{
    return Decimal{grosze * 100, 4};
} // NUMERIC(15,4)

int64_t Percent(int64_t grosze, int percent)
{
    return (grosze * percent + 50) / 100;
}

Good MakeGood(std::string asort, std::string nazwa, std::string jm, int vat, std::string grupa, int nieaktywny,
              int64_t grosze)
{
    Good g;
    g.asort = std::move(asort);
    g.nazwa = std::move(nazwa);
    g.jm = std::move(jm);
    g.stawkaVat = Decimal{vat * 100, 2};
    g.grupa = std::move(grupa);
    g.nieaktywny = nieaktywny;
    g.cena1 = Money(grosze);
    g.cena2 = Money(Percent(grosze, 95));
    g.cena3 = Money(Percent(grosze, 90));
    g.oldCena1 = Money(Percent(grosze, 97));
    return g;
}

void Run(FbConnection& connection, const std::string& sql)
{
    auto transaction = connection.StartTransaction();
    connection.Execute(transaction, sql);
    fb::Commit(transaction);
}

void CreateGoodsTable(FbConnection& connection, const std::string& table)
{
    Run(connection, "CREATE TABLE " + table +
                        " (\n"
                        "  ASORT      VARCHAR(20) NOT NULL,\n"
                        "  NAZWA      VARCHAR(60),\n"
                        "  JM         VARCHAR(10),\n"
                        "  STAWKA_VAT NUMERIC(5,2),\n"
                        "  GRUPA      VARCHAR(10),\n"
                        "  NIEAKTYWNY INTEGER DEFAULT 0,\n"
                        "  CENA_1     NUMERIC(15,4),\n"
                        "  CENA_2     NUMERIC(15,4),\n"
                        "  CENA_3     NUMERIC(15,4),\n"
                        "  OLDCENA_1  NUMERIC(15,4),\n"
                        "  CONSTRAINT PK_" +
                        table + " PRIMARY KEY (ASORT))");
}

void CreateSchema(FbConnection& connection, int year)
{
    // pString holds a full file path or sixteen unit names with their separators.
    Run(connection, "CREATE TABLE PARAMETRY (\n"
                    "  LOKALIZACJA VARCHAR(40) NOT NULL,\n"
                    "  SEKCJA      VARCHAR(40) NOT NULL,\n"
                    "  NAZWA       VARCHAR(40) NOT NULL,\n"
                    "  PSTRING     VARCHAR(1024),\n"
                    "  PINTEGER    INTEGER,\n"
                    "  PDATA       DATE,\n"
                    "  PFLOAT      DOUBLE PRECISION,\n"
                    "  PTIME       TIME,\n"
                    "  PBLOB       BLOB SUB_TYPE TEXT,\n"
                    "  CONSTRAINT PK_PARAMETRY PRIMARY KEY (LOKALIZACJA, SEKCJA, NAZWA))");
    CreateGoodsTable(connection, GoodsTableName(year));
    CreateGoodsTable(connection, GoodsTableName(year - 1));
    Run(connection, "CREATE TABLE GRUPYAS (\n"
                    "  GRUPA VARCHAR(10) NOT NULL,\n"
                    "  NAZWA VARCHAR(60),\n"
                    "  CONSTRAINT PK_GRUPYAS PRIMARY KEY (GRUPA))");

    // COM_DEF exactly as the application's catalogue defines it, sent as the schema test would send it.
    std::string comDef;
    for (const std::string& line : GetSqlScript("C_COM_DEF"))
        if (!line.empty())
            comDef += line + "\r\n";
    Run(connection, comDef);
}

void FillBasics(FbConnection& connection)
{
    std::vector<std::string> commands = {
        "insert into PARAMETRY (LOKALIZACJA,SEKCJA,NAZWA,PSTRING) values "
        "('GLOBAL','TARLA','VAT','23.00;8.00;5.00;0.00;0.00;0.00;-1.00;')",
        "insert into PARAMETRY (LOKALIZACJA,SEKCJA,NAZWA,PSTRING) values "
        "('GLOBAL','TARLA','ELZB_JM','SZT;KG;L;OPAK;M;;;;szt;kg;l;op;m;;;;')",
    };
    const char* const registerNames[] = {"Kasa 1 - główna", "Kasa 2 - mięso", "Kasa 3 - pieczywo"};
    for (int i = 1; i <= 3; ++i)
        commands.push_back("insert into COM_DEF (ID,KOD_KASA,NAZWA,PORT,SZYBKOSC,TIMEOUT,KOD,CENA,NRKASYSYSTEM) "
                           "values (" +
                           std::to_string(i) + ",'" + std::to_string(i) + "'," +
                           SqlQuote(Utf8ToWin1250(registerNames[i - 1])) + ",1,9600,5," + std::to_string(100 + i) +
                           ",'CENA_1'," + std::to_string(i) + ")");
    for (const Group& group : DemoGroups())
        commands.push_back("insert into GRUPYAS (GRUPA,NAZWA) values (" + SqlQuote(group.grupa) + "," +
                           SqlQuote(group.nazwa) + ")");
    auto transaction = connection.StartTransaction();
    for (const std::string& command : commands)
        connection.Execute(transaction, command);
    fb::Commit(transaction);
}

} // namespace

std::string GoodsTableName(int year)
{
    return "Kartas" + std::to_string(year);
}

void CreateDatabaseFile(FbConnection& connection, const std::string& path, bool forcedWrites)
{
    fb::ConnectParams params;
    params.database = path;
    params.user = "SYSDBA";
    fb::CreateParams create;
    create.forcedWrites = forcedWrites;
    connection.Create(params, create);
}

void OpenDatabaseFile(FbConnection& connection, const std::string& path)
{
    fb::ConnectParams params;
    params.database = path;
    params.user = "SYSDBA";
    connection.Open(params);
}

std::vector<Group> DemoGroups()
{
    std::vector<Group> groups;
    for (const auto& item : DemoGroupItems)
        groups.push_back(Group{item.grupa, Utf8ToWin1250(item.nazwa)});
    return groups;
}

std::vector<Good> DemoGoods(int priceFactorPercent)
{
    std::vector<Good> goods;
    int number = 100;
    for (const Item& item : DemoItems) {
        std::string asort = item.asort ? item.asort : std::to_string(number++);
        goods.push_back(MakeGood(asort, Utf8ToWin1250(item.nazwa), item.jm, item.vat, item.grupa, item.nieaktywny,
                                 Percent(Grosze(item.cena), priceFactorPercent)));
    }
    return goods;
}

std::vector<Good> LargeGoods(int count)
{
    std::vector<std::string> nouns, origins;
    for (const char* noun : LargeNouns)
        nouns.push_back(Utf8ToWin1250(noun));
    for (const char* origin : LargeOrigins)
        origins.push_back(Utf8ToWin1250(origin));
    std::vector<Group> groups = DemoGroups();
    std::vector<Good> goods;
    goods.reserve(count);
    for (int i = 1; i <= count; ++i) {
        std::string name =
            nouns[i % nouns.size()] + " " + origins[(i / nouns.size()) % origins.size()] + " nr " + std::to_string(i);
        goods.push_back(MakeGood(std::to_string(i), name, Units[i % 4], Rates[i % 4], groups[i % groups.size()].grupa,
                                 i % 97 == 0 ? 1 : 0, 99 + (static_cast<int64_t>(i) * 37) % 9900));
    }
    return goods;
}

void InsertGoods(FbConnection& connection, const std::string& table, const std::vector<Good>& goods)
{
    auto transaction = connection.StartTransaction();
    fb::PreparedCommand insert;
    insert.Prepare(connection, transaction.get(),
                   "insert into " + table +
                       " (ASORT,NAZWA,JM,STAWKA_VAT,GRUPA,NIEAKTYWNY,CENA_1,CENA_2,CENA_3,OLDCENA_1)"
                       " values (?,?,?,?,?,?,?,?,?,?)");
    Row row(10);
    for (const Good& g : goods) {
        row[0] = Value(g.asort);
        row[1] = Value(g.nazwa);
        row[2] = Value(g.jm);
        row[3] = Value(g.stawkaVat);
        row[4] = Value(g.grupa);
        row[5] = Value(static_cast<int64_t>(g.nieaktywny));
        row[6] = Value(g.cena1);
        row[7] = Value(g.cena2);
        row[8] = Value(g.cena3);
        row[9] = Value(g.oldCena1);
        insert.Execute(transaction.get(), row);
    }
    fb::Commit(transaction);
}

void BuildTradeDatabase(FbConnection& connection, Content content, int year, int largeCount)
{
    CreateSchema(connection, year);
    FillBasics(connection);
    if (content == Content::Demo) {
        InsertGoods(connection, GoodsTableName(year), DemoGoods(100));
        InsertGoods(connection, GoodsTableName(year - 1), DemoGoods(92));
    } else if (content == Content::Large) {
        InsertGoods(connection, GoodsTableName(year), LargeGoods(largeCount));
    }
}

} // namespace demodb
