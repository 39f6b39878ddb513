(* Calls every numbered request and every row of the function table that
 * tolq serves, on objects made here, and writes one line per call to the
 * file named by prompt_args: "> what" before the call, then "= what OK" or
 * "= what REFUSED" and any values the test reads back. *)
val sweepOut = !prompt_args
fun line s =
    let val out = TextIO.openAppend sweepOut
    in TextIO.output (out, s ^ "\n"); TextIO.closeOut out end

local open Tolq.Kernel in
fun try what f =
    (line ("> " ^ what);
     (f (); line ("= " ^ what ^ " OK"))
     handle Tolq.Refused _ => line ("= " ^ what ^ " REFUSED"))

fun req code args = try (Int.toString code) (fn () => ignore (call code args))

val page = case handles 4020 [] of p :: _ => p | [] => result 80 [S16 1]
val _ = result 3020 [U32 page]
fun node x = result 21 [U32 page, Px x, Px 120, Px 40, Px 24, U32 1]
val n1 = node 100
val n2 = node 220
val conn = result 22 [U32 page, U32 n1, U32 n2]
val lbl = result 20 [U32 page, Px 300, Px 60, Px 60, Px 20, Str "label"]
val line1 = result 23 [U32 page, PxList [10, 10, 60, 60]]
val (font, size, style, just, extra) =
    Tolq.decode (call 9280 [])
      (fn c => let val a = int c val b = int c val s = int c val j = int c in (a, b, s, j, int c) end)
val (d16a, d16b) = Tolq.decode (call 9190 []) pair

val simple : (int * arg list) list = [
  (20, [U32 page, Px 100, Px 200, Px 40, Px 20, Str "lbl"]),
  (21, [U32 page, Px 200, Px 200, Px 40, Px 20, U32 1]),
  (22, [U32 page, U32 n2, U32 n1]),
  (23, [U32 page, PxList [10, 10, 50, 50]]),
  (24, [U32 page, Px 10, Px 10, Px 10, Px 10, Str "/nonexistent/picture.xbm"]),
  (25, [U32 page, List [], U32 0]),
  (30, [U32 page, PxList [10, 10, 50, 10, 30, 40]]),
  (31, [U32 (node 400)]),
  (40, [U32 page, List [n1]]),
  (41, [U32 0, U32 0]),
  (50, [List [], U32 0]),
  (55, [U32 0, U32 0, U32 0]),
  (60, [U32 0]),
  (70, [List [], U32 page]),
  (80, [S16 9]),
  (90, [S16 10, S16 0]),
  (100, [U32 0]),
  (110, [List [n1], U32 1, U32 0]),
  (120, [U32 conn, U32 n1, U32 0, U32 n2, U32 0]),
  (130, [U32 line1, PxList [10, 10, 60, 60]]),
  (1000, [S16 5, S16 1, S16 10, S16 0]),
  (1010, [Str "Sweep message"]),
  (1050, [Str "Sweep number", U32 7]),
  (1060, [Str "Sweep text", Str "abc"]),
  (1070, []),
  (1080, [Px 100, Px 120, S16 4]),
  (1090, [S16 1]),
  (1100, [S16 2, List [], U32 0]),
  (1110, [S16 3]),
  (1120, []),
  (1130, [U32 0]),
  (1150, [S16 0]),
  (1160, [Px 5]),
  (1190, [Str "Sweep question"]),
  (1200, [Str "Sweep file", Str ""]),
  (2000, [S16 font]), (2010, [S16 size]), (2020, [S16 just]), (2030, [S16 style]),
  (2040, [U32 lbl]), (2050, []), (2060, [U32 lbl]), (2070, [U32 0]), (2080, [U32 lbl]),
  (2090, [U32 lbl, Str "hello"]), (2100, [U32 lbl, Str "!"]),
  (3000, [S16 4, U32 0]),
  (3010, []), (3020, [U32 page]), (3030, [List [n1]]), (3040, []), (3050, []),
  (3060, [U32 page]), (3070, [U32 n1]),
  (4000, [U32 page]), (4010, [U32 n1]), (4020, []), (4030, [U32 n1]), (4040, []),
  (4050, [List [n1]]), (4060, [U32 n1, U32 conn]), (4070, [U32 n1]), (4080, [U32 n1]),
  (4090, [U32 page]), (4100, [U32 n1]), (4110, [U32 page]), (4120, [U32 n1]),
  (4130, [U32 conn, U32 1]), (4140, [U32 page]), (4150, [U32 n1]), (4160, [U32 lbl]),
  (6010, [S16 0, S16 31999, U32 1]), (6030, [S16 0, S16 31999]), (6040, [S16 31999]),
  (6050, [S16 31998, S16 0]), (6060, [S16 31999]), (6070, [S16 31999, Str "x", S16 31999, S16 0]),
  (6080, [S16 31999, S16 31999, S16 0]), (6090, [S16 31999, Str "x"]), (6100, [S16 31999, S16 0]),
  (6110, [S16 31999]), (6120, [S16 31999, S16 0]), (6130, [S16 31999, Str "x"]),
  (6140, [S16 31999, S16 0]), (6150, [S16 31999]), (6170, []),
  (7080, [S16 0]),
  (8000, [U32 n1, S16 0, U32 n2, U32 0]), (8010, [U32 n1, U32 0]),
  (8020, [Px 0, Px 0, Px 10, Px 10, Px 20, Px 0, U32 3]), (8030, [S16 0]), (8040, [U32 page]),
  (8050, []), (8060, [U32 0]), (8070, []), (8080, [U32 n1, U32 0]), (8090, [U32 n1]),
  (8100, [List [n1], U32 0]), (8110, [U32 page]), (8120, []), (8130, []), (8140, [Str "sweep"]),
  (8150, [U32 1]), (8160, [U32 n1]), (8170, [U32 page, U32 0]), (8180, []), (8190, []),
  (8200, [Px 1, Px 1]),
  (9000, []), (9010, [U32 conn, U32 n1]), (9020, [U32 n1]), (9030, [U32 page]), (9040, []),
  (9050, [U32 lbl]), (9060, [U32 lbl]), (9070, []), (9080, [U32 0]), (9090, [U32 conn, U32 0]),
  (9100, [U32 0]), (9110, [U32 conn]), (9120, [U32 conn]), (9140, [U32 n1, S16 4]),
  (9150, [U32 n1]), (9160, [U32 conn]), (9170, [U32 n1]), (9180, [U32 n1]), (9190, []),
  (9200, [U32 line1]), (9210, [U32 line1]), (9220, [U32 page]), (9230, [U32 n1]),
  (9240, [U32 n1]), (9250, [U32 lbl]), (9260, []), (9270, [U32 n1]), (9280, []),
  (9290, [U32 n1]), (9300, [U32 n1]),
  (10000, [U32 n1]), (10040, [U32 n1, S16 0, S16 0, S16 0]),
  (11010, [U32 n1, Px 40, Px 24]), (11020, [U32 page, Str "Sweep", S16 5, S16 600, S16 400, U32 0]),
  (11040, [U32 n1, Px 100, Px 120]), (11050, [U32 n1, U32 0, U32 1, U32 0, U32 1]),
  (11060, [U32 lbl, S16 font, S16 size, S16 style, S16 just]), (11070, [U32 conn, U32 0, S16 0]),
  (11080, [U32 conn, U32 8, U32 8, U32 0, S16 20, S16 20]), (11090, [U32 conn, PxList []]),
  (11100, [U32 conn, Px 0]), (11110, [U32 n1, U32 0]), (11120, [U32 n1, S16 4, U32 1]),
  (11130, [U32 n1, U32 0]), (11140, [U32 n1, U32 0]), (11150, [U32 conn, U32 1]),
  (11160, [U32 page]), (11170, [S16 d16a, U32 d16b]), (11180, [U32 n1, U32 0]),
  (11190, [U32 lbl, U32 0]), (11200, [U32 0]),
  (11210, [S16 font, S16 size, S16 style, S16 just, U32 extra]), (11220, [U32 n1, Px 1]),
  (11230, [U32 page, U32 0]), (11240, [U32 n1, U32 0]),
  (14000, [Str "/nonexistent/sweep.page", U32 0]), (14100, [Str "Sweep", Str "OK", Str "", U32 0]),
  (15000, [U32 0]), (15001, [U32 0]), (15002, [U32 0]),
  (15003, [U32 0, S16 1, S16 1, S16 1, S16 1, S16 1, S16 1, U32 0]), (15004, [U32 1, U32 n1]),
  (15016, [])]
val _ = List.app (fn (code, args) => req code args) simple

(* Requests whose arguments do not fit them are refused. *)
val _ = try "short 31" (fn () => ignore (call 31 []))
val _ = try "long answer 1060" (fn () => ignore (call 1060 [Str "p", Str (CharVector.tabulate (300, fn _ => #"a"))]))
end

(* ---- table rows ---- *)
local
  open Tolq.Table
  fun i n = In (INT, I n)
  fun row r args result = try ("row " ^ Int.toString r) (fn () => ignore (call {row = r, result = result, args = args}))
  fun intOf {result = I n, outputs = _} = n | intOf _ = 0
  fun outs {result = _, outputs = l} = l
  fun show (I n) = Int.toString n | show (S s) = "\"" ^ s ^ "\"" | show NONE' = "-"
  (* A row whose result and outputs the test reads back. *)
  fun value what r args result =
      (line ("> " ^ what);
       let val answer = call {row = r, result = result, args = args}
       in line ("= " ^ what ^ " OK " ^ show (#result answer) ^ " " ^ String.concatWith " " (map show (outs answer)));
          answer
       end
       handle Tolq.Refused _ => (line ("= " ^ what ^ " REFUSED"); {result = NONE', outputs = []}))
  val K = Tolq.Kernel.result
  fun fresh x = K 21 [Tolq.Kernel.U32 page, Tolq.Kernel.Px x, Tolq.Kernel.Px 300, Tolq.Kernel.Px 40,
                      Tolq.Kernel.Px 24, Tolq.Kernel.U32 2]
in
  val newPg = intOf (value "row 0" 0 [i 1] INT)
  val _ = row 1 [i newPg, i 0] INT
  val place = fresh 60
  val _ = value "row 5" 5 [i place] INT
  val _ = line ("= place handle OK " ^ Int.toString place)
  val trans = fresh 140
  val _ = row 4 [i trans] INT
  val decl = fresh 220
  val _ = row 2 [i decl, i page, i 0] INT
  val _ = row 3 [i decl] INT
  val arcConn = K 22 [Tolq.Kernel.U32 page, Tolq.Kernel.U32 place, Tolq.Kernel.U32 trans]
  val _ = row 6 [i arcConn] INT
  val _ = row 7 [i (fresh 300), i 1] INT
  val region = K 20 [Tolq.Kernel.U32 page, Tolq.Kernel.Px 60, Tolq.Kernel.Px 340, Tolq.Kernel.Px 30,
                     Tolq.Kernel.Px 12, Tolq.Kernel.Str "Buffer"]
  val _ = row 8 [i place, i region, i 4096] INT
  val _ = row 9 [i place] INT
  val _ = row 10 [i place] INT
  val _ = value "row 11" 11 [i place, i 4096, Out INT] INT
  val _ = value "row 12" 12 [i place, i 4096, Out INT] INT
  val _ = value "row 13" 13 [i place, Out HEAPSTRING] INT
  val _ = value "row 14" 14 [In (HEAPSTRING, S (CharVector.tabulate (70, fn k => chr (97 + k mod 26)))), Out HEAPSTRING] INT
  val _ = row 15 [i (fresh 380), i 6, Out INT] INT
  val _ = row 16 [i trans, i 0, i 0] INT
  val _ = row 17 [i trans, i 0, i 0] INT
  val _ = row 18 [i trans] INT
  val _ = value "row 19" 19 [i place, Out HEAPSTRING] INT
  val _ = value "row 20" 20 [i place, Out INT, Out INT, Out INT] INT
  val record = List.nth (outs (value "row 39" 39 [i place, Out INT] INT), 1)
  val rec' = case record of I n => n | _ => 0
  val _ = value "row 38" 38 [i rec'] INT
  val _ = row 21 [i rec'] INT
  val _ = row 22 [In (HEAPSTRING, S "F"), i 1, i 0] INT
  val _ = row 23 [i place, i 0] INT
  val _ = row 24 [i 1, i 0] INT
  val _ = row 25 [i rec', In (HEAPSTRING, S "Buffer")] INT
  val _ = row 26 [i place, i 5000, In (BLOCK, S "abc"), i 3] INT
  val _ = row 27 [i place, i 5000, Out INT] INT
  val _ = row 28 [i place, i 5000, OutBlock 3] INT
  val _ = row 29 [i place, i 5000] INT
  val _ = row 30 [i 1, i 0] INT
  val _ = row 31 [i 0, i 1] INT
  val _ = row 32 [i rec', i 1] INT
  val _ = row 33 [i 0] INT
  val _ = row 34 [i 0, i 1] INT
  val _ = value "row 35" 35 [i 0] HEAPSTRING
  val _ = value "row 36" 36 [i 0] HEAPSTRING
  val _ = row 37 [i 0] INT
  val _ = row 40 [i 0] INT
  val _ = row 41 [i 0] INT
  val _ = row 42 [i 0] INT
  val _ = row 43 [i rec'] INT
  val _ = row 44 [i rec'] INT
  val _ = row 45 [i 0] INT
  val _ = value "row 46" 46 [i 0, i 0, Out INT, Out INT] INT
  val _ = row 47 [i rec'] INT
  val _ = row 48 [i rec'] INT
  val _ = value "row 49" 49 [i 0, i 0] HEAPSTRING
  val _ = value "row 50" 50 [i 0, i 0, In (HEAPSTRING, S "1`1")] HEAPSTRING
  val _ = row 51 [i trans] INT
  (* A text row asked for a number, and a row without its arguments, are refused. *)
  val _ = try "bad row 35" (fn () => ignore (call {row = 35, result = INT, args = [i 0]}))
  val _ = try "bad row 11" (fn () => ignore (call {row = 11, result = INT, args = []}))
end
val _ = line "DONE"
